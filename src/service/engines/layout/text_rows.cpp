#include "service/engines/layout/text_rows.h"

#include <algorithm>

namespace ocrgated::layout {

std::vector<Row> Rows(const std::vector<cv::Rect2d>& boxes, std::vector<std::size_t> subset) {
    // Ties keep the order the boxes came in, as the engine's own sort does.
    std::sort(subset.begin(), subset.end());
    std::stable_sort(subset.begin(), subset.end(),
                     [&](std::size_t a, std::size_t b) { return boxes[a].y < boxes[b].y; });
    std::vector<Row> rows;
    std::size_t start = 0;
    while (start < subset.size()) {
        const cv::Rect2d& first = boxes[subset[start]];
        std::size_t end = start + 1;
        for (; end < subset.size(); ++end) {
            const cv::Rect2d& next = boxes[subset[end]];
            const double overlap = std::min(first.br().y, next.br().y) - next.y;
            if (overlap * 2 < std::min(first.height, next.height))
                break;
        }
        Row row(subset.begin() + std::ptrdiff_t(start), subset.begin() + std::ptrdiff_t(end));
        std::stable_sort(row.begin(), row.end(), [&](std::size_t a, std::size_t b) {
            return boxes[a].x + boxes[a].width / 2 < boxes[b].x + boxes[b].width / 2;
        });
        rows.push_back(std::move(row));
        start = end;
    }
    return rows;
}

double MedianHeight(const std::vector<cv::Rect2d>& boxes) {
    std::vector<double> heights;
    for (const cv::Rect2d& box : boxes)
        heights.push_back(box.height);
    if (heights.empty())
        return 1;
    std::nth_element(heights.begin(), heights.begin() + std::ptrdiff_t(heights.size() / 2),
                     heights.end());
    return std::max(1e-6, heights[heights.size() / 2]);
}

}  // namespace ocrgated::layout
