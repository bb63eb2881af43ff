#pragma once
// Page orientation: how far a whole picture was turned from upright, decided once for
// the page so that its lines are read, and ordered, as the page stands upright.

#include "service/engines/ppocr/db_postprocess.h"
#include "service/engines/ppocr/line_record.h"

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::ppocr {

// Clockwise quarter turns that took the page from upright, 0 to 3.
using QuarterTurns = int;

// The box as it lies on the page turned back upright (a picture of `size`, turned
// `turns` quarters clockwise). Its corners keep their order.
TextBox IntoReadingFrame(const TextBox& box, cv::Size size, QuarterTurns turns);
// A point of that upright page back where it lies on the picture.
cv::Point2f FromReadingFrame(cv::Point2f point, cv::Size size, QuarterTurns turns);

// The direction classifier's verdict for the whole page from its lines' votes, each line
// weighing as much as it is long: true when most of the text is upside down.
bool MostlyUpsideDown(const std::vector<LineRecord>& records);

// Whether most boxes are tall: the page is turned a quarter, or holds columns.
bool MostlyTall(const std::vector<LineRecord>& records, float tall_ratio);

// Length-weighted mean confidence of what recognition read.
double ReadingConfidence(const std::vector<LineRecord>& records);

}  // namespace ocrgated::ppocr
