#include "service/ppocr/text_detector.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace ocrgated::ppocr {

cv::Size DetectionSize(cv::Size picture, const DetectorOptions& options) {
    const int longer = std::max(picture.width, picture.height);
    const double ratio =
        longer > options.max_side ? static_cast<double>(options.max_side) / longer : 1.0;
    auto side = [&](int length) {
        const int rounded = static_cast<int>(std::lround(length * ratio / 32.0)) * 32;
        return std::max({rounded, options.min_side, 32});
    };
    return {side(picture.width), side(picture.height)};
}

TextDetector::TextDetector(const std::string& model, const DetectorOptions& options)
    : options_(options) {
    std::ifstream in(model, std::ios::binary);
    model_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    net_ = cv::dnn::readNetFromONNX(model_.data(), model_.size());
}

std::vector<TextBox> TextDetector::Detect(const cv::Mat& picture) {
    const cv::Size size = DetectionSize(picture.size(), options_);
    cv::Mat resized;
    cv::resize(picture, resized, size, 0, 0, cv::INTER_LINEAR);
    resized.convertTo(resized, CV_32FC3, 1.0 / 255);
    // The network was trained on ImageNet-normalised channels in BGR order.
    cv::subtract(resized, cv::Scalar(0.485, 0.456, 0.406), resized);
    cv::divide(resized, cv::Scalar(0.229, 0.224, 0.225), resized);
    if (size != net_size_ && !net_size_.empty())
        net_ = cv::dnn::readNetFromONNX(model_.data(), model_.size());
    net_size_ = size;
    net_.setInput(cv::dnn::blobFromImage(resized));
    const cv::Mat output = net_.forward();
    const cv::Mat probabilities(output.size[2], output.size[3], CV_32F,
                                const_cast<float*>(output.ptr<float>()));
    return BoxesFromProbabilities(probabilities, picture.size(), options_.db);
}

}  // namespace ocrgated::ppocr
