#pragma once
// Cutting text boxes out of a picture, and padding around them.

#include "service/engines/ppocr/db_postprocess.h"

#include <opencv2/core.hpp>

#include <utility>
#include <vector>

namespace ocrgated::ppocr {

// The box's content straightened into an upright rectangle, as it lies in the picture.
cv::Mat CropBox(const cv::Mat& picture, const TextBox& box);

// The box's content laid flat along its line: tall boxes (lines running down the
// picture) are turned a quarter anticlockwise.
cv::Mat CropLine(const cv::Mat& picture, const TextBox& box, float tall_ratio = 1.5f);

// The median colour of the picture's border: what padding should look like.
cv::Scalar BorderColour(const cv::Mat& picture);

// The stretches of `area`'s columns (within the grey picture) that hold ink, parted by
// blanks at least `least_gap` wide, counted from the area's left edge: the detector's boxes
// reach past their text by a margin, which on a page with narrow gutters is most of the
// gutter, and run over a gutter that is narrower still. Ink is the lesser of the two
// shades Otsu's threshold parts; the whole width when nothing stands out.
std::vector<std::pair<int, int>> InkRuns(const cv::Mat& grey, cv::Rect area, int least_gap);

// Whether a box is that much taller than wide.
bool IsTall(const TextBox& box, float tall_ratio);

}  // namespace ocrgated::ppocr
