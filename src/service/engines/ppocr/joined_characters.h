#pragma once
// Columns of characters the detector found one by one (a poem set with generous spacing)
// become one box per column, so that they are read as the columns they are.

#include "service/engines/layout/layout_options.h"
#include "service/engines/ppocr/db_postprocess.h"

#include <opencv2/core.hpp>

#include <functional>
#include <vector>

namespace ocrgated::ppocr {

// Whether the pieces a column would be joined from read, each on its own, as words: cells
// of a small table stacked one above the other, not characters set down a column.
using PiecesReadAsWords = std::function<bool(const std::vector<TextBox>& pieces)>;

// boxes: as detected in an upright picture. Each column of separate characters becomes
// the one box around them, when the page is then mostly such columns (a heading over
// them stays as it is) and the pieces do not read as words; any other page's boxes come back
// unchanged.
std::vector<TextBox> JoinCharacterColumns(const std::vector<TextBox>& boxes, float tall_ratio,
                                          const layout::LayoutOptions& options,
                                          const PiecesReadAsWords& read_as_words);

// A column the detector found in pieces (runs of characters and characters alone, at most
// a character apart) becomes one box, on a page set mostly in columns. Pieces join when
// their widths are alike, their centres line up and one of them is a tall run; any other
// page's boxes come back as they were.
std::vector<TextBox> JoinColumnPieces(const std::vector<TextBox>& boxes, float tall_ratio);

}  // namespace ocrgated::ppocr
