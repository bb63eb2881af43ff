#pragma once
// The layout stage of the engine: the lines read, kept when they read well enough, in
// the order people read the page (columns, regions), each marked with its paragraph.

#include "service/core/recognized_line.h"
#include "service/engines/ppocr/line_record.h"
#include "service/engines/ppocr/page_orientation.h"

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::ppocr {

// `records` as read in a picture of `size` turned `turns` quarters from upright. Lines
// without text or with a mean confidence under `min_confidence` are dropped.
std::vector<RecognizedLine> LayOutLines(const std::vector<LineRecord>& records, cv::Size size,
                                        QuarterTurns turns, double min_confidence);

}  // namespace ocrgated::ppocr
