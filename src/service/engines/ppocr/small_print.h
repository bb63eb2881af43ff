#pragma once
// Small print: how much a picture is enlarged before it is read.

#include "service/engines/ppocr/pp_ocr_options.h"

#include <opencv2/core.hpp>

namespace ocrgated::ppocr {

// The scale at which a picture whose lines came out `text_height` high is read; 1 leaves
// it as it is (print large enough, no lines, or too little to gain).
double Enlargement(cv::Size picture, double text_height, const SmallTextOptions& options);

}  // namespace ocrgated::ppocr
