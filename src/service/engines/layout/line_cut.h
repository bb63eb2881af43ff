#pragma once
// One line cut in two between its characters, where the detector ran one box over a blank
// that parts text: a table's rule or channel, a gutter between columns.

#include "service/engines/layout/page_layout.h"

#include <optional>
#include <utility>

namespace ocrgated::layout {

// The line cut at x into the part left of it and the part right of it (characters go by
// their middles), each trimmed of spaces and bounded by its characters; nothing when the
// line lacks its characters' places or x leaves all of them on one side.
std::optional<std::pair<TextLine, TextLine>> CutLine(const TextLine& line, float x);

}  // namespace ocrgated::layout
