#pragma once
// Reading order: lines follow the text's own direction, so a skewed page still reads top
// to bottom, and the boxes the detector splits one line into stay left to right.

#include "service/engines/ppocr/db_postprocess.h"

#include <cstddef>
#include <vector>

namespace ocrgated::ppocr {

// Indices of the boxes (in a frame where the text runs left to right) in reading order:
// boxes whose extents across the page's text direction overlap by half the thinner one
// share a line; lines go top to bottom, a line's boxes left to right.
std::vector<std::size_t> ReadingOrder(const std::vector<TextBox>& boxes);

// The page's text direction in radians from the horizontal: the length-weighted median
// angle of the boxes that are clearly lines (twice as long as thick); 0 without any.
double TextAngle(const std::vector<TextBox>& boxes);

}  // namespace ocrgated::ppocr
