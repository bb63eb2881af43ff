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

}  // namespace

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
            joined.push_back({{around.tl(), cv::Point2f(around.br().x, around.y), around.br(),
                               cv::Point2f(around.x, around.br().y)},
                              score});
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
