#pragma once
// Whether a blank vertical band through a block of boxes is a gutter between columns, or
// only the space of a ragged edge, an indent, a short line or words set apart in a line.

#include "service/engines/layout/frame.h"
#include "service/engines/layout/layout_options.h"
#include "service/engines/layout/text_rows.h"

#include <cstddef>
#include <vector>

namespace ocrgated::layout {

// rows: a block of boxes as Rows() forms them, none of the boxes crossing gap.
bool SeparatesColumns(const Frame& frame, const std::vector<Row>& rows, Gap gap,
                      const RegionOptions& options);

}  // namespace ocrgated::layout
