#include "service/engines/ppocr/line_geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <vector>

namespace ocrgated::ppocr {
namespace {

double BoxWidth(const TextBox& box) {
    const auto& c = box.corners;
    return std::max(cv::norm(c[0] - c[1]), cv::norm(c[3] - c[2]));
}

double BoxHeight(const TextBox& box) {
    const auto& c = box.corners;
    return std::max(cv::norm(c[0] - c[3]), cv::norm(c[1] - c[2]));
}

}  // namespace

bool IsTall(const TextBox& box, float tall_ratio) {
    return BoxHeight(box) >= BoxWidth(box) * tall_ratio;
}

cv::Scalar BorderColour(const cv::Mat& picture) {
    std::vector<cv::Vec3b> border;
    const int last_row = picture.rows - 1, last_col = picture.cols - 1;
    for (int x = 0; x < picture.cols; ++x) {
        border.push_back(picture.at<cv::Vec3b>(0, x));
        border.push_back(picture.at<cv::Vec3b>(last_row, x));
    }
    for (int y = 0; y < picture.rows; ++y) {
        border.push_back(picture.at<cv::Vec3b>(y, 0));
        border.push_back(picture.at<cv::Vec3b>(y, last_col));
    }
    cv::Scalar colour;
    for (int c = 0; c < 3; ++c) {
        auto middle = border.begin() + static_cast<std::ptrdiff_t>(border.size() / 2);
        std::nth_element(border.begin(), middle, border.end(),
                         [c](const cv::Vec3b& a, const cv::Vec3b& b) { return a[c] < b[c]; });
        colour[c] = (*middle)[c];
    }
    return colour;
}

cv::Mat CropBox(const cv::Mat& picture, const TextBox& box) {
    const int width = std::max(1, cvRound(BoxWidth(box)));
    const int height = std::max(1, cvRound(BoxHeight(box)));
    const cv::Point2f target[4] = {{0, 0},
                                   {static_cast<float>(width), 0},
                                   {static_cast<float>(width), static_cast<float>(height)},
                                   {0, static_cast<float>(height)}};
    const cv::Mat transform = cv::getPerspectiveTransform(box.corners.data(), target);
    cv::Mat crop;
    cv::warpPerspective(picture, crop, transform, cv::Size(width, height), cv::INTER_CUBIC,
                        cv::BORDER_REPLICATE);
    return crop;
}

cv::Mat CropLine(const cv::Mat& picture, const TextBox& box, float tall_ratio) {
    cv::Mat line = CropBox(picture, box);
    if (IsTall(box, tall_ratio))
        cv::rotate(line, line, cv::ROTATE_90_COUNTERCLOCKWISE);
    return line;
}

}  // namespace ocrgated::ppocr

namespace ocrgated::ppocr {

std::vector<std::pair<int, int>> InkRuns(const cv::Mat& grey, cv::Rect area, int least_gap) {
    area &= cv::Rect({}, grey.size());
    if (area.empty())
        return {};
    cv::Mat ink;
    cv::threshold(grey(area), ink, 0, 1, cv::THRESH_BINARY_INV | cv::THRESH_OTSU);
    if (2 * std::size_t(cv::countNonZero(ink)) > ink.total())
        ink = 1 - ink;  // light text on a dark ground
    cv::Mat columns;
    cv::reduce(ink, columns, 0, cv::REDUCE_SUM, CV_32S);
    const int* count = columns.ptr<int>();
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < area.width; ++x) {
        if (count[x] < 2)
            continue;
        if (runs.empty() || x - runs.back().second >= least_gap)
            runs.emplace_back(x, x + 1);
        runs.back().second = x + 1;
    }
    if (runs.empty())
        runs.emplace_back(0, area.width);
    return runs;
}

}  // namespace ocrgated::ppocr
