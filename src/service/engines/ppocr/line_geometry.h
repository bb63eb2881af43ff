#pragma once
// Cutting text boxes out of a picture, and padding around them.

#include "service/engines/ppocr/db_postprocess.h"

#include <opencv2/core.hpp>

namespace ocrgated::ppocr {

// The box's content straightened into an upright rectangle, as it lies in the picture.
cv::Mat CropBox(const cv::Mat& picture, const TextBox& box);

// The box's content laid flat along its line: tall boxes (lines running down the
// picture) are turned a quarter anticlockwise.
cv::Mat CropLine(const cv::Mat& picture, const TextBox& box, float tall_ratio = 1.5f);

// The median colour of the picture's border: what padding should look like.
cv::Scalar BorderColour(const cv::Mat& picture);

// Whether a box is that much taller than wide.
bool IsTall(const TextBox& box, float tall_ratio);

}  // namespace ocrgated::ppocr
