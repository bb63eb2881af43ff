#pragma once
// The layout stage of the engine: the lines read, kept when they read well enough, in
// the order people read the page (columns, regions), each marked with its paragraph, and
// the tables they stand in.

#include "service/common/page_reading.h"
#include "service/common/recognized_line.h"
#include "service/engines/ppocr/line_record.h"
#include "service/engines/ppocr/page_orientation.h"
#include "service/engines/ppocr/pp_ocr_options.h"

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::ppocr {

// `records` as read in `picture`, turned `turns` quarters from upright. Lines without
// text or with a mean confidence under `min_confidence` are dropped. With the stage off,
// lines come in rows top to bottom and without paragraphs.
// The page's tables come with the lines, their cells holding lines by index.
PageReading LayOutLines(const std::vector<LineRecord>& records, const cv::Mat& picture,
                        QuarterTurns turns, double min_confidence,
                        const LayoutStageOptions& options);

}  // namespace ocrgated::ppocr
