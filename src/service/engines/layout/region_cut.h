#pragma once
// Splits a page into regions along blank bands and rules: a heading over columns, each
// column, a sidebar, a footer. Regions come in the order a reader takes them.

#include "service/engines/layout/frame.h"
#include "service/engines/layout/layout_options.h"

#include <cstddef>
#include <vector>

namespace ocrgated::layout {

// Each region: indices into frame.boxes, in no particular order. Top to bottom; blocks of
// columns left to right.
std::vector<std::vector<std::size_t>> CutRegions(const Frame& frame, const RegionOptions& options);

}  // namespace ocrgated::layout
