#pragma once
// Columns of characters that the detector found one by one: Chinese or Japanese set top
// to bottom with generous space between the columns, as poems are.

#include "service/engines/layout/layout_options.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <vector>

namespace ocrgated::layout {

// boxes: the detector's boxes, upright. Groups of indices into boxes: each column's
// characters top to bottom, columns right to left, and the other boxes as lines left to
// right in their place (a heading over the columns comes first). Characters count as a
// column when each is nearly square, their centres line up, they follow at a regular
// pitch, and they stand closer to each other than to anything beside them. Without such
// columns, the boxes' lines top to bottom.
std::vector<std::vector<std::size_t>> GroupCharacterColumns(const std::vector<cv::Rect2f>& boxes,
                                                            const LayoutOptions& options = {});

}  // namespace ocrgated::layout
