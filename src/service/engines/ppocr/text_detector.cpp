#include "service/engines/ppocr/text_detector.h"

#include "service/common/recognition_context.h"
#include "service/engines/ppocr/line_geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocrgated::ppocr {
namespace {

int RoundTo32(double length) {
    return std::max(32, static_cast<int>(std::lround(length / 32.0)) * 32);
}

}  // namespace

double MedianTextHeight(const std::vector<TextBox>& boxes) {
    if (boxes.empty())
        return 0;
    std::vector<double> heights;
    for (const TextBox& box : boxes)
        heights.push_back(std::min(cv::norm(box.corners[0] - box.corners[1]),
                                   cv::norm(box.corners[1] - box.corners[2])));
    std::nth_element(heights.begin(), heights.begin() + std::ptrdiff_t(heights.size() / 2),
                     heights.end());
    return heights[heights.size() / 2];
}

DetectionLayout PlanDetection(cv::Size picture, const DetectionOptions& options) {
    DetectionLayout layout;
    const int longer = std::max(picture.width, picture.height);
    const int shorter = std::max(1, std::min(picture.width, picture.height));
    // Pad the short side on both sides, so that text touching the edge gets context.
    const int padded_short = std::max(
        shorter, static_cast<int>(std::ceil(static_cast<double>(longer) / options.max_aspect)));
    const int pad = (padded_short - shorter + 1) / 2;
    const bool wide = picture.width >= picture.height;
    layout.picture = cv::Rect(wide ? 0 : pad, wide ? pad : 0, picture.width, picture.height);
    layout.canvas = wide ? cv::Size(picture.width, picture.height + 2 * pad)
                         : cv::Size(picture.width + 2 * pad, picture.height);

    const double canvas_short = std::min(layout.canvas.width, layout.canvas.height);
    const double canvas_long = std::max(layout.canvas.width, layout.canvas.height);
    const double scale =
        std::min(std::clamp(options.min_short_side / canvas_short, 1.0, options.max_upscale),
                 options.max_long_side / canvas_long);
    layout.input = {RoundTo32(layout.canvas.width * scale),
                    RoundTo32(layout.canvas.height * scale)};
    return layout;
}

TextDetector::TextDetector(const std::string& model, const DetectionOptions& options)
    : options_(options), net_(cv::dnn::readNetFromONNX(model)) {}

std::vector<TextBox> TextDetector::Detect(const cv::Mat& picture) {
    const DetectionLayout layout = PlanDetection(picture.size(), options_);
    std::vector<TextBox> boxes = DetectAt(picture, layout);
    const double shown = static_cast<double>(std::max(layout.input.width, layout.input.height)) /
                         std::max(layout.canvas.width, layout.canvas.height);
    if (shown >= 0.75)
        return boxes;  // seen at near its own size: nothing to gain closer
    const double height = MedianTextHeight(boxes);
    if (!boxes.empty() && height * shown >= options_.min_text_height)
        return boxes;
    // Nothing found at all: look at the picture's own size.
    const double scale =
        boxes.empty() ? 1.0 : std::min(1.0, options_.text_height / std::max(height, 1.0));
    if (scale < shown * 1.25)
        return boxes;
    const int overlap =
        static_cast<int>(std::ceil(boxes.empty() ? 0.1 * options_.band_rows / scale : 4 * height));
    return DetectInBands(picture, scale, overlap);
}

std::vector<TextBox> TextDetector::Detect(const cv::Mat& picture, double scale) {
    DetectionOptions at = options_;
    at.max_long_side = std::min(
        options_.max_long_side,
        static_cast<int>(std::ceil(std::max(picture.cols, picture.rows) * scale)));
    return DetectAt(picture, PlanDetection(picture.size(), at));
}

std::vector<TextBox> TextDetector::DetectInBands(const cv::Mat& picture, double scale,
                                                 int overlap) {
    const int rows = std::max(2 * overlap, static_cast<int>(options_.band_rows / scale));
    std::vector<TextBox> found;
    for (int top = 0; top < picture.rows; top += rows - overlap) {
        CheckDeadline();
        const int bottom = std::min(picture.rows, top + rows);
        const cv::Mat band = picture.rowRange(top, bottom);
        DetectionOptions at = options_;
        at.max_long_side = static_cast<int>(std::ceil(std::max(band.cols, band.rows) * scale));
        // A line belongs to the band that holds its middle away from the band's edges.
        const float from = top == 0 ? 0.f : static_cast<float>(top + overlap / 2);
        const float to = bottom == picture.rows ? static_cast<float>(bottom)
                                                : static_cast<float>(bottom - overlap / 2);
        for (TextBox& box : DetectAt(band, PlanDetection(band.size(), at))) {
            float middle = 0;
            for (cv::Point2f& p : box.corners) {
                p.y += static_cast<float>(top);
                middle += p.y / 4;
            }
            if (middle >= from && middle < to)
                found.push_back(std::move(box));
        }
        if (bottom == picture.rows)
            break;
    }
    return found;
}

std::vector<TextBox> TextDetector::DetectAt(const cv::Mat& picture, const DetectionLayout& layout) {
    // Scaled first and padded after, so a thin picture never costs a huge canvas.
    const double sx = static_cast<double>(layout.input.width) / layout.canvas.width;
    const double sy = static_cast<double>(layout.input.height) / layout.canvas.height;
    const cv::Rect at =
        cv::Rect(cvRound(layout.picture.x * sx), cvRound(layout.picture.y * sy),
                 std::max(1, cvRound(picture.cols * sx)), std::max(1, cvRound(picture.rows * sy))) &
        cv::Rect({}, layout.input);
    cv::Mat input(layout.input, picture.type(), BorderColour(picture));
    cv::Mat scaled;
    cv::resize(picture, scaled, at.size(), 0, 0,
               at.area() > picture.size().area() ? cv::INTER_CUBIC : cv::INTER_AREA);
    scaled.copyTo(input(at));
    input.convertTo(input, CV_32FC3, 1.0 / 255);
    cv::subtract(input, options_.mean, input);
    cv::divide(input, options_.deviation, input);
    net_.setInput(cv::dnn::blobFromImage(input));
    const cv::Mat output = net_.forward();
    const cv::Mat probabilities(output.size[2], output.size[3], CV_32F,
                                const_cast<float*>(output.ptr<float>()));
    std::vector<TextBox> boxes = BoxesFromProbabilities(probabilities, layout.canvas, options_.db);
    // Back to the picture's own coordinates; boxes that lie wholly in the padding go.
    const cv::Point2f offset(static_cast<float>(layout.picture.x),
                             static_cast<float>(layout.picture.y));
    const float right = static_cast<float>(picture.cols), bottom = static_cast<float>(picture.rows);
    std::erase_if(boxes, [&](TextBox& box) {
        for (auto& p : box.corners) {
            p -= offset;
            p.x = std::clamp(p.x, 0.0f, right);
            p.y = std::clamp(p.y, 0.0f, bottom);
        }
        return cv::norm(box.corners[0] - box.corners[2]) < 4;
    });
    return boxes;
}

}  // namespace ocrgated::ppocr
