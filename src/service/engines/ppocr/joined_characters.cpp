#include "service/engines/ppocr/joined_characters.h"

#include "service/engines/layout/character_columns.h"
#include "service/engines/ppocr/line_geometry.h"

#include <algorithm>

namespace ocrgated::ppocr {
namespace {

cv::Rect2f BoundsOf(const TextBox& box) {
    float left = box.corners[0].x, right = left, top = box.corners[0].y, bottom = top;
    for (const cv::Point2f& p : box.corners) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    return {left, top, right - left, bottom - top};
}

TextBox BoxAround(const cv::Rect2f& around, float score) {
    return {{around.tl(), cv::Point2f(around.br().x, around.y), around.br(),
             cv::Point2f(around.x, around.br().y)},
            score};
}

// How far two boxes overlap across.
float Overlap(const cv::Rect2f& a, const cv::Rect2f& b) {
    return std::min(a.br().x, b.br().x) - std::max(a.x, b.x);
}

struct Group {
    std::vector<std::size_t> members;
    cv::Rect2f around;
    float score = 0;
    bool column = false;  // characters each below the one before; else a line's pieces
};

// The usual blank between one character of a column and the next.
float UsualGap(const Group& column, const std::vector<cv::Rect2f>& bounds) {
    std::vector<float> gaps;
    for (std::size_t k = 1; k < column.members.size(); ++k)
        gaps.push_back(bounds[column.members[k]].y - bounds[column.members[k - 1]].br().y);
    std::nth_element(gaps.begin(), gaps.begin() + std::ptrdiff_t(gaps.size() / 2), gaps.end());
    return std::max(0.f, gaps[gaps.size() / 2]);
}

// Among columns of spaced characters the detector also finds pieces of rows: a box over
// two characters side by side, or over the narrow blank between them. Such a piece, one
// row high, inside the columns' span or just past their ends at their own pitch, is no line
// of its own: the columns it covers grow down or up to hold it, and the piece goes. A
// heading stands farther from the columns than their characters from each other; a piece
// that covers no column and fills no narrow blank is text of its own and stays.
void AbsorbStrayPieces(std::vector<Group>& groups, const std::vector<cv::Rect2f>& bounds) {
    // The columns across the page, left to right; the grid they make; a character's size.
    std::vector<cv::Rect2f> columns;
    for (const Group& group : groups)
        if (group.column)
            columns.push_back(group.around);
    if (columns.size() < 2)
        return;
    std::sort(columns.begin(), columns.end(),
              [](const cv::Rect2f& a, const cv::Rect2f& b) { return a.x < b.x; });
    cv::Rect2f grid = columns.front();
    std::vector<float> widths;
    for (const cv::Rect2f& column : columns) {
        grid |= column;
        widths.push_back(column.width);
    }
    std::nth_element(widths.begin(), widths.begin() + std::ptrdiff_t(widths.size() / 2),
                     widths.end());
    const float size = widths[widths.size() / 2];
    const auto covers = [&](const Group& column, std::size_t i) {
        return column.column && Overlap(column.around, bounds[i]) >= column.around.width / 2;
    };
    // Where the columns stand, the narrow blanks between neighbours filled.
    std::vector<std::pair<float, float>> spans;
    for (const cv::Rect2f& column : columns) {
        if (!spans.empty() && column.x - spans.back().second <= 1.5f * size)
            spans.back().second = std::max(spans.back().second, column.br().x);
        else
            spans.emplace_back(column.x, column.br().x);
    }
    const auto within_columns = [&](const cv::Rect2f& box) {
        return std::any_of(spans.begin(), spans.end(), [&](const auto& span) {
            return box.x >= span.first - size / 4 && box.br().x <= span.second + size / 4;
        });
    };
    const auto stray = [&](std::size_t i) {
        const cv::Rect2f& box = bounds[i];
        const cv::Point2f centre(box.x + box.width / 2, box.y + box.height / 2);
        if (box.height > 1.5f * size || !within_columns(box))
            return false;
        if (grid.contains(centre))
            return true;
        bool any = false;
        for (const Group& column : groups) {
            if (!covers(column, i))
                continue;
            const float apart =
                std::max(column.around.y - box.br().y, box.y - column.around.br().y);
            if (apart > 1.5f * UsualGap(column, bounds) + 0.1f * size)
                return false;
            any = true;
        }
        return any;
    };
    const auto absorbed = [&](const Group& group) {
        return !group.column && std::all_of(group.members.begin(), group.members.end(), stray);
    };
    std::vector<bool> gone;
    for (const Group& group : groups)
        gone.push_back(absorbed(group));
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (!gone[g])
            continue;
        for (std::size_t i : groups[g].members)
            for (Group& column : groups)
                if (covers(column, i)) {
                    const float top = std::min(column.around.y, bounds[i].y);
                    const float bottom = std::max(column.around.br().y, bounds[i].br().y);
                    column.around.y = top;
                    column.around.height = bottom - top;
                }
    }
    std::vector<Group> kept;
    for (std::size_t g = 0; g < groups.size(); ++g)
        if (!gone[g])
            kept.push_back(std::move(groups[g]));
    groups = std::move(kept);
}

}  // namespace

std::vector<TextBox> JoinColumnPieces(const std::vector<TextBox>& boxes, float tall_ratio) {
    std::vector<std::size_t> order;  // tall pieces and single characters, top to bottom
    std::vector<cv::Rect2f> bounds;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        bounds.push_back(BoundsOf(boxes[i]));
        if (bounds[i].height >= bounds[i].width * 0.8f)
            order.push_back(i);
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return bounds[a].y < bounds[b].y; });
    std::vector<bool> taken(boxes.size(), false);
    std::vector<TextBox> joined;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (taken[order[k]])
            continue;
        std::vector<std::size_t> column{order[k]};
        cv::Rect2f around = bounds[order[k]];
        for (std::size_t m = k + 1; m < order.size(); ++m) {
            const cv::Rect2f& next = bounds[order[m]];
            const float width = std::max(around.width, next.width);
            const float offset =
                std::abs((around.x + around.width / 2) - (next.x + next.width / 2));
            // Within a column characters stand closer than a character apart.
            if (taken[order[m]] || offset > width / 4 ||
                std::min(around.width, next.width) < width * 0.7f || next.y - around.br().y > width)
                continue;
            column.push_back(order[m]);
            around |= next;
        }
        const bool any_tall = std::any_of(column.begin(), column.end(), [&](std::size_t i) {
            return IsTall(boxes[i], tall_ratio);
        });
        if (column.size() < 2 || !any_tall)
            continue;
        float score = 0;
        for (std::size_t i : column) {
            taken[i] = true;
            score = std::max(score, boxes[i].score);
        }
        joined.push_back(BoxAround(around, score));
    }
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (!taken[i])
            joined.push_back(boxes[i]);
    // Only on a page set in columns: elsewhere a stack of short pieces is a list's numbers.
    const auto tall = std::count_if(joined.begin(), joined.end(),
                                    [&](const TextBox& box) { return IsTall(box, tall_ratio); });
    return tall * 2 > std::ptrdiff_t(joined.size()) ? joined : boxes;
}

std::vector<TextBox> JoinCharacterColumns(const std::vector<TextBox>& boxes, float tall_ratio,
                                          const layout::LayoutOptions& options,
                                          const PiecesReadAsWords& read_as_words) {
    std::vector<cv::Rect2f> bounds;
    for (const TextBox& box : boxes)
        bounds.push_back(BoundsOf(box));
    std::vector<Group> groups;
    for (auto& members : layout::GroupCharacterColumns(bounds, options)) {
        Group group{std::move(members), {}, 0, false};
        group.around = bounds[group.members.front()];
        // A column: characters going down, at least two high (a mark among them may stand
        // beside the one before). A line's pieces stay as they were.
        bool down = true;
        for (std::size_t k = 0; k < group.members.size(); ++k) {
            const cv::Rect2f& box = bounds[group.members[k]];
            if (k > 0) {
                const cv::Rect2f& before = bounds[group.members[k - 1]];
                down = down && box.y + box.height / 2 >= before.y + before.height / 2;
            }
            group.around |= box;
            group.score = std::max(group.score, boxes[group.members[k]].score);
        }
        group.column =
            group.members.size() > 1 && down && group.around.height >= 2 * group.around.width;
        groups.push_back(std::move(group));
    }
    AbsorbStrayPieces(groups, bounds);
    std::vector<TextBox> joined, pieces;
    bool any = false;
    for (const Group& group : groups) {
        if (group.column) {
            joined.push_back(BoxAround(group.around, group.score));
            any = true;
            for (std::size_t i : group.members)
                pieces.push_back(boxes[i]);
        } else {
            for (std::size_t i : group.members)
                joined.push_back(boxes[i]);
        }
    }
    const auto tall = std::count_if(joined.begin(), joined.end(),
                                    [&](const TextBox& box) { return IsTall(box, tall_ratio); });
    // Joined columns that leave the page mostly lines are an index or a list's numbers.
    if (!any || tall * 2 <= std::ptrdiff_t(joined.size()))
        return boxes;
    return read_as_words && read_as_words(pieces) ? boxes : joined;
}

}  // namespace ocrgated::ppocr
