#pragma once
// Text the detector joined across a table's rule: two cells set close to the rule on
// either side come back as one line. Such a line is cut where the rule runs between two
// of its characters.

#include "service/engines/layout/page_layout.h"

#include <cstddef>
#include <vector>

namespace ocrgated::layout {

// The page with each line that a vertical rule, longer than `least_length`, runs through
// cut into pieces at it; `origin` gets, for each piece, the index of the line it came from.
// A line without its characters' places, or with the rule outside its characters, stays whole.
Page SplitAtRules(const Page& page, double least_length, std::vector<std::size_t>& origin);

// `page` (already split, `origin` its pieces' lines) with each line cut where one of the
// columns' edges `xs` runs through a blank between its characters `least_gap` wide at
// least: cells the detector read as one line across a channel. Pieces keep the line of
// `origin` they came from.
Page SplitAtColumns(const Page& page, const std::vector<float>& xs, double least_gap,
                    std::vector<std::size_t>& origin);

}  // namespace ocrgated::layout
