#pragma once
// What the engine reads from: picture bytes decoded to BGR, and what it hands back for
// each line read.

#include <opencv2/core.hpp>

#include <cstdint>
#include <span>
#include <vector>

#include "service/common/recognized_line.h"

namespace ocrgated::ppocr {

// Decodes with the service's decoder, under the recognition's memory limit. A picture
// longer than three times the detector's side is decoded reduced; `scale` says by how
// much. Throws BadPicture or PictureTooLarge.
cv::Mat DecodeToBgr(std::span<const std::uint8_t> bytes, int detection_side, double& scale);

// The line's confidence figures from its characters' probabilities (at least one).
void FillConfidence(RecognizedLine& line, const std::vector<float>& probabilities);

}  // namespace ocrgated::ppocr
