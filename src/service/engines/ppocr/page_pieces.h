#pragma once
// The page's lines as the layout stage orders them: each bounded by its ink, with the blanks
// inside it measured, so that a narrow gutter is as wide as it is printed; and a line the
// detector ran over a gutter, once the layout floor has cut it, as its pieces.

#include "service/common/recognized_line.h"
#include "service/engines/layout/page_layout.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <vector>

namespace ocrgated::ppocr {

// Each line of `page` (upright and straight, `lines` its recognised lines on the picture)
// bounded along itself by its ink, its blanks wider than a word's space set as its gaps.
void BoundByInk(layout::Page& page, const std::vector<RecognizedLine>& lines,
                const cv::Mat& picture);

// The recognised lines of `split`, the page cut into pieces (`origin` their lines in
// `whole`): each piece keeps its characters and is bounded by them, its corners starting
// where its line's do.
std::vector<RecognizedLine> Pieces(const std::vector<RecognizedLine>& lines,
                                   const layout::Page& whole, const layout::Page& split,
                                   const std::vector<std::size_t>& origin);

}  // namespace ocrgated::ppocr
