#include "service/engines/ppocr/reading_order.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace ocrgated::ppocr {
namespace {

struct Extent {
    double along;   // position of the centre along the text direction
    double across;  // position of the centre across it (down the page)
    double thickness;
};

// A box's long side and its angle, folded into (-pi/4, pi/4]: a box that is a line's
// piece lies along the text whichever way its corners were numbered.
struct Axis {
    double angle, length, thickness;
};

Axis AxisOf(const TextBox& box) {
    const cv::RotatedRect rect =
        cv::minAreaRect(std::vector<cv::Point2f>(box.corners.begin(), box.corners.end()));
    double angle = rect.angle * std::numbers::pi / 180;
    double length = rect.size.width, thickness = rect.size.height;
    if (length < thickness) {
        std::swap(length, thickness);
        angle += std::numbers::pi / 2;
    }
    while (angle > std::numbers::pi / 2)
        angle -= std::numbers::pi;
    while (angle <= -std::numbers::pi / 2)
        angle += std::numbers::pi;
    return {angle, length, thickness};
}

}  // namespace

double TextAngle(const std::vector<TextBox>& boxes) {
    std::vector<Axis> lines;
    double total = 0;
    for (const TextBox& box : boxes) {
        const Axis axis = AxisOf(box);
        if (axis.length >= 2 * axis.thickness && std::abs(axis.angle) < std::numbers::pi / 4) {
            lines.push_back(axis);
            total += axis.length;
        }
    }
    if (lines.empty())
        return 0;
    std::sort(lines.begin(), lines.end(),
              [](const Axis& a, const Axis& b) { return a.angle < b.angle; });
    double seen = 0;
    for (const Axis& line : lines) {
        seen += line.length;
        if (seen * 2 >= total)
            return line.angle;
    }
    return lines.back().angle;
}

std::vector<std::size_t> ReadingOrder(const std::vector<TextBox>& boxes) {
    const double angle = TextAngle(boxes);
    const double c = std::cos(angle), s = std::sin(angle);
    std::vector<Extent> extents;
    for (const TextBox& box : boxes) {
        cv::Point2f centre(0, 0);
        for (const auto& p : box.corners)
            centre += p * 0.25f;
        // Thickness across the text direction, measured on the corners themselves.
        double low = 1e300, high = -1e300;
        for (const auto& p : box.corners) {
            const double across = -s * p.x + c * p.y;
            low = std::min(low, across);
            high = std::max(high, across);
        }
        extents.push_back({c * centre.x + s * centre.y, (low + high) / 2, high - low});
    }

    std::vector<std::size_t> order(boxes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto top = [&](std::size_t i) { return extents[i].across - extents[i].thickness / 2; };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return top(a) < top(b); });
    // Gather lines greedily from the top, then sort each line along the text.
    std::vector<std::size_t> result;
    std::size_t start = 0;
    while (start < order.size()) {
        const Extent& first = extents[order[start]];
        std::size_t end = start + 1;
        while (end < order.size()) {
            const Extent& next = extents[order[end]];
            const double overlap =
                std::min(first.across + first.thickness / 2, next.across + next.thickness / 2) -
                (next.across - next.thickness / 2);
            if (overlap * 2 < std::min(first.thickness, next.thickness))
                break;
            ++end;
        }
        const auto line_begin = order.begin() + static_cast<std::ptrdiff_t>(start);
        const auto line_end = order.begin() + static_cast<std::ptrdiff_t>(end);
        std::stable_sort(line_begin, line_end, [&](std::size_t a, std::size_t b) {
            return extents[a].along < extents[b].along;
        });
        result.insert(result.end(), line_begin, line_end);
        start = end;
    }
    return result;
}

}  // namespace ocrgated::ppocr
