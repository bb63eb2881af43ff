#pragma once
// Where each character of a read line stands: the time steps it fired at, mapped back
// through the line's crop onto its box in the picture.

#include "service/common/recognized_line.h"
#include "service/engines/ppocr/line_record.h"

#include <opencv2/core.hpp>

#include <utility>
#include <vector>

namespace ocrgated::ppocr {

// Each character's start and end along the line, as shares of its width (0 to 1): it
// reaches halfway to its neighbours' steps, and as far past its own step on the outer side.
std::vector<std::pair<double, double>> CharacterExtents(const std::vector<int>& steps,
                                                        double step_share);

// The record's characters (spaces left out) in reading order, each the part of the box
// its extent covers, bounded by the picture.
std::vector<PlacedCharacter> PlaceCharacters(const LineRecord& record, cv::Size picture);

}  // namespace ocrgated::ppocr
