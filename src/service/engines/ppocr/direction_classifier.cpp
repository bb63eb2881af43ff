#include "service/engines/ppocr/direction_classifier.h"

#include "service/engines/ppocr/text_recognizer.h"

namespace ocrgated::ppocr {
namespace {

constexpr int kClassifierWidth = 192;

}  // namespace

DirectionClassifier::DirectionClassifier(const std::string& model)
    : net_(cv::dnn::readNetFromONNX(model)) {}

float DirectionClassifier::UpsideDown(const cv::Mat& line) {
    net_.setInput(LineBlob(line, kClassifierWidth));
    const cv::Mat scores = net_.forward();
    return scores.at<float>(0, 1);
}

}  // namespace ocrgated::ppocr
