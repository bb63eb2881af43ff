#pragma once
// The judgement call on thin pictures: a one-line screenshot or a tight crop is read whole,
// since the detector finds the ends of a long line better than its middle.

#include <opencv2/core.hpp>

#include <optional>
#include <vector>

#include "service/engines/ppocr/db_postprocess.h"
#include "service/engines/ppocr/line_record.h"
#include "service/engines/ppocr/pp_ocr_options.h"

namespace ocrgated::ppocr {

// The whole line to read when `picture` is thin and its boxes make one line (or it shows
// none); nothing otherwise.
std::optional<LineRecord> SingleLine(const cv::Mat& picture, const std::vector<TextBox>& boxes,
                                     const SingleLineOptions& options);

// The box's bounds, inside the picture.
cv::Rect Bounds(const TextBox& box, cv::Size picture);

}  // namespace ocrgated::ppocr
