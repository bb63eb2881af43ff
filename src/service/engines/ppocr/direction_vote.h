#pragma once
// The direction vote: which way up each line is read. The classifier votes for each line,
// the page's majority decides the doubtful, and a line that goes against its page, one the
// classifier is unsure of, or one that reads poorly is read the other way round too and
// keeps the more confident reading.

#include "service/engines/ppocr/direction_classifier.h"
#include "service/engines/ppocr/line_record.h"
#include "service/engines/ppocr/pp_ocr_options.h"
#include "service/engines/ppocr/stage_times.h"

#include <functional>
#include <vector>

namespace ocrgated::ppocr {

// Reads the records it is given (their crops upright as far as the vote knows).
using ReadLines = std::function<void(std::vector<LineRecord*>)>;

// Turns the crops that read upside down and reads every record with `read`; without a
// classifier each line stands as cut until it reads poorly. Returns whether most of the
// page (by the length of its lines) read upside down.
bool ReadUpright(std::vector<LineRecord>& records, DirectionClassifier* classifier,
                 const PpOcrOptions& options, const ReadLines& read, StageTimes& times);

}  // namespace ocrgated::ppocr
