#include "service/ppocr/line_geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ocrgated::ppocr {

cv::Mat CropLine(const cv::Mat& picture, const TextBox& box) {
    const auto& c = box.corners;
    const int width = std::max(1, cvRound(std::max(cv::norm(c[0] - c[1]), cv::norm(c[3] - c[2]))));
    const int height = std::max(1, cvRound(std::max(cv::norm(c[0] - c[3]), cv::norm(c[1] - c[2]))));
    const cv::Point2f target[4] = {{0, 0},
                                   {static_cast<float>(width), 0},
                                   {static_cast<float>(width), static_cast<float>(height)},
                                   {0, static_cast<float>(height)}};
    const cv::Mat transform = cv::getPerspectiveTransform(c.data(), target);
    cv::Mat line;
    cv::warpPerspective(picture, line, transform, cv::Size(width, height), cv::INTER_CUBIC,
                        cv::BORDER_REPLICATE);
    if (height >= width * 3 / 2)
        cv::rotate(line, line, cv::ROTATE_90_COUNTERCLOCKWISE);
    return line;
}

std::vector<std::size_t> ReadingOrder(const std::vector<cv::Rect>& boxes) {
    std::vector<std::size_t> order(boxes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return boxes[a].y < boxes[b].y; });

    // Gather rows greedily from the top, then sort each row by x.
    std::vector<std::size_t> result;
    std::size_t start = 0;
    while (start < order.size()) {
        const cv::Rect& first = boxes[order[start]];
        std::size_t end = start + 1;
        while (end < order.size()) {
            const cv::Rect& next = boxes[order[end]];
            const int overlap = std::min(first.y + first.height, next.y + next.height) - next.y;
            if (overlap * 2 < std::min(first.height, next.height))
                break;
            ++end;
        }
        std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(start),
                         order.begin() + static_cast<std::ptrdiff_t>(end),
                         [&](std::size_t a, std::size_t b) { return boxes[a].x < boxes[b].x; });
        result.insert(result.end(), order.begin() + static_cast<std::ptrdiff_t>(start),
                      order.begin() + static_cast<std::ptrdiff_t>(end));
        start = end;
    }
    return result;
}

}  // namespace ocrgated::ppocr
