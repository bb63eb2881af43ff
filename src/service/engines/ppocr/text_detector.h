#pragma once
// The detection stage: where in a picture the text lines are.

#include "service/engines/ppocr/db_postprocess.h"
#include "service/engines/ppocr/pp_ocr_options.h"

#include <opencv2/dnn.hpp>

#include <string>
#include <vector>

namespace ocrgated::ppocr {

// How a picture is laid out for the network: padded to a sane aspect, then scaled.
struct DetectionLayout {
    cv::Rect picture;  // where the picture sits inside the padded canvas
    cv::Size canvas;   // the picture with its padding
    cv::Size input;    // the network's input, each side a multiple of 32
};

// Thin pictures (a screenshot of one line, a tight crop) are padded around with their own
// background so the network sees text with room around it; small ones are scaled up so
// that small print reaches the size the network was trained on; large ones scaled down.
DetectionLayout PlanDetection(cv::Size picture, const DetectionOptions& options);

// The median of the boxes' thinner sides: the height of the text, whichever way it runs;
// 0 without boxes.
double MedianTextHeight(const std::vector<TextBox>& boxes);

class TextDetector {
  public:
    TextDetector(const std::string& model, const DetectionOptions& options);
    // picture: 8-bit BGR. Boxes are in the picture's own coordinates. One network
    // serves every input size: it sets itself up again when the size changes. A large
    // picture whose text comes out too small to find is looked at again closer.
    std::vector<TextBox> Detect(const cv::Mat& picture);
    // The picture seen at `scale` of its size, or at the network's long side if smaller.
    std::vector<TextBox> Detect(const cv::Mat& picture, double scale);

  private:
    std::vector<TextBox> DetectAt(const cv::Mat& picture, const DetectionLayout& layout);
    // The picture at `scale`, in bands across it that overlap by `overlap` of its rows.
    std::vector<TextBox> DetectInBands(const cv::Mat& picture, double scale, int overlap);

    DetectionOptions options_;
    cv::dnn::Net net_;
};

}  // namespace ocrgated::ppocr
