#pragma once
// Where a region's paragraphs begin: a first line indented, a short line before, a wider
// gap than the region's usual one, or a change of type size.

#include "service/engines/layout/layout_options.h"
#include "service/engines/layout/text_rows.h"

#include <opencv2/core.hpp>

#include <string>
#include <vector>

namespace ocrgated::layout {

// rows: one region's rows in reading order (indices into boxes and texts). The positions
// in rows of the rows that begin a paragraph, the first row's always among them.
std::vector<std::size_t> ParagraphStarts(const std::vector<cv::Rect2d>& boxes,
                                         const std::vector<std::string>& texts,
                                         const std::vector<Row>& rows,
                                         const ParagraphOptions& options);

}  // namespace ocrgated::layout
