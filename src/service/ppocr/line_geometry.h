#pragma once
// Cutting text lines out of a picture and putting them in reading order.

#include "service/ppocr/db_postprocess.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <vector>

namespace ocrgated::ppocr {

// The box's content as an upright picture; tall boxes (vertical text) are
// turned a quarter to lie along the line.
cv::Mat CropLine(const cv::Mat& picture, const TextBox& box);

// Indices of the boxes top to bottom, and left to right within a row: boxes
// whose vertical extents overlap by half the smaller height share a row.
std::vector<std::size_t> ReadingOrder(const std::vector<cv::Rect>& boxes);

}  // namespace ocrgated::ppocr
