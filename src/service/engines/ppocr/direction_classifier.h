#pragma once
// The direction stage: is a cut-out line upside down?

#include <opencv2/dnn.hpp>

#include <string>

namespace ocrgated::ppocr {

class DirectionClassifier {
  public:
    explicit DirectionClassifier(const std::string& model);
    // line: 8-bit BGR, laid flat. The probability that it reads upside down.
    float UpsideDown(const cv::Mat& line);

  private:
    cv::dnn::Net net_;
};

}  // namespace ocrgated::ppocr
