#pragma once
// Lines the detector ran across a gutter: on a page set in columns with a narrow gutter, a
// line of one column and the line beside it in the next come back as one box. Such a line
// is cut where it has a blank that the lines above and below stop at on both sides.

#include "service/engines/layout/layout_options.h"
#include "service/engines/layout/page_layout.h"

#include <cstddef>
#include <vector>

namespace ocrgated::layout {

// The page with each such line cut at its gutters; `origin` gets, for each line of the
// result, the index of the line it came from (pieces follow the page's own lines). Lines
// without their characters' places, and vertical pages, stay whole.
Page SplitAtGutters(const Page& page, const GutterOptions& options,
                    std::vector<std::size_t>& origin);

}  // namespace ocrgated::layout
