#include "service/engines/ppocr/db_postprocess.h"

#include <clipper.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocrgated::ppocr {
namespace {

// Mean probability inside the box's polygon.
float BoxScore(const cv::Mat& probabilities, const std::array<cv::Point2f, 4>& corners) {
    cv::Rect bounds = cv::boundingRect(std::vector<cv::Point2f>(corners.begin(), corners.end()));
    bounds &= cv::Rect(0, 0, probabilities.cols, probabilities.rows);
    if (bounds.empty())
        return 0;
    cv::Mat mask = cv::Mat::zeros(bounds.size(), CV_8U);
    std::vector<cv::Point> polygon;
    for (const auto& p : corners)
        polygon.emplace_back(cvRound(p.x) - bounds.x, cvRound(p.y) - bounds.y);
    cv::fillPoly(mask, std::vector<std::vector<cv::Point>>{polygon}, cv::Scalar(1));
    return static_cast<float>(cv::mean(probabilities(bounds), mask)[0]);
}

// Grows the shrunk text kernel back to the text's extent: offset by
// area * ratio / perimeter, as the network was trained to shrink it.
std::vector<cv::Point2f> Unclip(const std::array<cv::Point2f, 4>& corners, float ratio) {
    const std::vector<cv::Point2f> polygon(corners.begin(), corners.end());
    const double area = std::abs(cv::contourArea(polygon));
    const double perimeter = cv::arcLength(polygon, true);
    if (perimeter <= 0)
        return {};
    const double distance = area * ratio / perimeter;

    ClipperLib::Path path;
    for (const auto& p : corners)
        path.emplace_back(static_cast<ClipperLib::cInt>(std::lround(p.x)),
                          static_cast<ClipperLib::cInt>(std::lround(p.y)));
    ClipperLib::ClipperOffset offset;
    offset.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    ClipperLib::Paths grown;
    offset.Execute(grown, distance);
    if (grown.empty())
        return {};
    const auto& largest =
        *std::max_element(grown.begin(), grown.end(), [](const auto& a, const auto& b) {
            return std::abs(ClipperLib::Area(a)) < std::abs(ClipperLib::Area(b));
        });
    std::vector<cv::Point2f> points;
    for (const auto& p : largest)
        points.emplace_back(static_cast<float>(p.X), static_cast<float>(p.Y));
    return points;
}

}  // namespace

std::array<cv::Point2f, 4> OrderedCorners(const cv::RotatedRect& rect) {
    std::array<cv::Point2f, 4> p;
    rect.points(p.data());
    // Top left has the smallest x + y, bottom right the largest; of the other
    // two, top right has the smaller y - x.
    std::sort(p.begin(), p.end(),
              [](const auto& a, const auto& b) { return a.x + a.y < b.x + b.y; });
    if (p[1].y - p[1].x > p[2].y - p[2].x)
        std::swap(p[1], p[2]);
    return {p[0], p[1], p[3], p[2]};
}

std::vector<TextBox> BoxesFromProbabilities(const cv::Mat& probabilities, cv::Size picture,
                                            const DbOptions& options) {
    CV_Assert(probabilities.type() == CV_32F);
    cv::Mat bitmap = probabilities > options.threshold;
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(bitmap, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
    if (static_cast<int>(contours.size()) > options.max_candidates)
        contours.resize(static_cast<std::size_t>(options.max_candidates));

    const float scale_x =
        static_cast<float>(picture.width) / static_cast<float>(probabilities.cols);
    const float scale_y =
        static_cast<float>(picture.height) / static_cast<float>(probabilities.rows);
    std::vector<TextBox> boxes;
    for (const auto& contour : contours) {
        const cv::RotatedRect kernel = cv::minAreaRect(contour);
        if (std::min(kernel.size.width, kernel.size.height) < options.min_size)
            continue;
        const auto kernel_corners = OrderedCorners(kernel);
        const float score = BoxScore(probabilities, kernel_corners);
        if (score < options.box_threshold)
            continue;

        const auto grown = Unclip(kernel_corners, options.unclip_ratio);
        if (grown.size() < 3)
            continue;
        const cv::RotatedRect text = cv::minAreaRect(grown);
        if (std::min(text.size.width, text.size.height) < options.min_size + 2)
            continue;

        TextBox box{OrderedCorners(text), score};
        for (auto& p : box.corners) {
            p.x = std::clamp(p.x * scale_x, 0.0f, static_cast<float>(picture.width));
            p.y = std::clamp(p.y * scale_y, 0.0f, static_cast<float>(picture.height));
        }
        const float width = static_cast<float>(cv::norm(box.corners[0] - box.corners[1]));
        const float height = static_cast<float>(cv::norm(box.corners[0] - box.corners[3]));
        if (width <= 3 || height <= 3)
            continue;
        boxes.push_back(box);
    }
    return boxes;
}

}  // namespace ocrgated::ppocr
