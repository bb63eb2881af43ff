#pragma once
// The Chinese recognition model seldom emits its space class between Latin
// words; the gaps are still in the picture. This puts them back.

#include "service/engines/ppocr/ctc_decoder.h"

#include <opencv2/core.hpp>

namespace ocrgated::ppocr {

// line: the line as the network saw it (8-bit BGR, scaled to the network's
// height, unpadded); step_width: pixels per time step. A space goes between
// two neighbouring ASCII characters when the widest run of ink-free columns
// between them is well beyond the line's usual letter gap.
void RestoreWordSpaces(DecodedText& decoded, const cv::Mat& line, int step_width);

}  // namespace ocrgated::ppocr
