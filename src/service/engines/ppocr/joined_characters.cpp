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
            const float offset = std::abs((around.x + around.width / 2) - (next.x + next.width / 2));
            // Within a column characters stand closer than half a character apart.
            if (taken[order[m]] || offset > width / 4 ||
                std::min(around.width, next.width) < width * 0.7f ||
                next.y - around.br().y > width / 2)
                continue;
            column.push_back(order[m]);
            around |= next;
        }
        const bool any_tall = std::any_of(column.begin(), column.end(),
                                          [&](std::size_t i) { return IsTall(boxes[i], tall_ratio); });
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
    std::vector<TextBox> joined, pieces;
    bool any = false;
    for (const auto& group : layout::GroupCharacterColumns(bounds, options)) {
        cv::Rect2f around = bounds[group.front()];
        float score = 0;
        // A column: characters each below the one before. A line's pieces stay as they were.
        bool stacked = group.size() > 1;
        for (std::size_t k = 0; k < group.size(); ++k) {
            const cv::Rect2f& box = bounds[group[k]];
            if (k > 0)
                stacked = stacked && box.y >= bounds[group[k - 1]].y + box.height / 2;
            around |= box;
            score = std::max(score, boxes[group[k]].score);
        }
        if (stacked) {
            joined.push_back(BoxAround(around, score));
            any = true;
            for (std::size_t i : group)
                pieces.push_back(boxes[i]);
        } else {
            for (std::size_t i : group)
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
