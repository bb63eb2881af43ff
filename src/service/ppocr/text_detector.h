#pragma once
// The detection network: where in a picture the text lines are.

#include "service/ppocr/db_postprocess.h"

#include <opencv2/dnn.hpp>

#include <string>
#include <vector>

namespace ocrgated::ppocr {

struct DetectorOptions {
    int max_side = 960;  // longer pictures are scaled down to this
    int min_side = 32;   // the network needs sides that are multiples of 32
    DbOptions db;
};

class TextDetector {
  public:
    TextDetector(const std::string& model, const DetectorOptions& options);
    // picture: 8-bit BGR. OpenCV 4.6 keeps state from the first input size in
    // this graph's upsampling layers, so a new input size gets a fresh network
    // (about 35 ms from the bytes held here).
    std::vector<TextBox> Detect(const cv::Mat& picture);

  private:
    std::vector<char> model_;
    cv::dnn::Net net_;
    cv::Size net_size_;
    DetectorOptions options_;
};

// The network's input size for a picture: scaled to fit max_side, each side
// rounded to a multiple of 32 and at least min_side.
cv::Size DetectionSize(cv::Size picture, const DetectorOptions& options);

}  // namespace ocrgated::ppocr
