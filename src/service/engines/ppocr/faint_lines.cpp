#include "service/engines/ppocr/faint_lines.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>

namespace ocrgated::ppocr {
namespace {

// The value below which `share` of the histogram's count lies.
int Percentile(const std::array<int, 256>& histogram, int count, double share) {
    const int wanted = static_cast<int>(share * count);
    int seen = 0;
    for (int value = 0; value < 256; ++value) {
        seen += histogram[static_cast<std::size_t>(value)];
        if (seen > wanted)
            return value;
    }
    return 255;
}

}  // namespace

double Contrast(const cv::Mat& picture, const TextBox& box) {
    const cv::Rect bounds =
        cv::boundingRect(std::vector<cv::Point2f>(box.corners.begin(), box.corners.end())) &
        cv::Rect(0, 0, picture.cols, picture.rows);
    if (bounds.empty())
        return 0;
    const cv::Mat area = picture(bounds);
    std::array<std::array<int, 256>, 3> histograms{};
    for (int y = 0; y < area.rows; ++y) {
        const auto* row = area.ptr<cv::Vec3b>(y);
        for (int x = 0; x < area.cols; ++x)
            for (int c = 0; c < 3; ++c)
                ++histograms[static_cast<std::size_t>(c)][row[x][c]];
    }
    const int count = static_cast<int>(bounds.area());
    double contrast = 0;
    for (const auto& histogram : histograms) {
        const int median = Percentile(histogram, count, 0.5);
        contrast = std::max({contrast, double(median - Percentile(histogram, count, 0.01)),
                             double(Percentile(histogram, count, 0.99) - median)});
    }
    return contrast;
}

std::vector<TextBox> WithoutFaintLines(const cv::Mat& picture, std::vector<TextBox> boxes,
                                       const FaintOptions& options) {
    if (boxes.size() < 2)
        return boxes;
    std::vector<double> contrasts;
    for (const TextBox& box : boxes)
        contrasts.push_back(Contrast(picture, box));
    std::vector<double> sorted = contrasts;
    const auto strong = sorted.begin() + std::ptrdiff_t((sorted.size() - 1) * 9 / 10);
    std::nth_element(sorted.begin(), strong, sorted.end());
    if (*strong < options.strong_contrast)
        return boxes;
    std::vector<TextBox> kept;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (contrasts[i] >= options.min_share * *strong)
            kept.push_back(std::move(boxes[i]));
    return kept;
}

}  // namespace ocrgated::ppocr
