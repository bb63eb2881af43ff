#pragma once
// One page of a PDF sent to the REST endpoints, rendered with Poppler into a picture the
// engines read.

#include <cstdint>
#include <span>
#include <vector>

namespace ocrgated {

// Page `number` (from 1) as a PNG, at 200 dpi or less so that it keeps inside 36 million
// pixels. Throws RestError: not a PDF, protected, or no such page.
std::vector<std::uint8_t> RenderPdfPage(std::span<const std::uint8_t> pdf, int number);

}  // namespace ocrgated
