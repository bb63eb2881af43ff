#pragma once
// Pages laid out as documents are: columns, a title over them, a sidebar behind a rule,
// poem columns of separate characters, a mixed page and a plain one, rendered with
// ImageMagick and the Noto CJK fonts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillory::testing {

struct LayoutPage {
    std::string kind;
    std::vector<std::string> lines;  // in the order a reader takes them
    std::size_t paragraphs;
    std::vector<std::uint8_t> png;
};

std::vector<LayoutPage> RenderLayoutSet();

// A 5250 x 6280 page of small print: three columns of 30 lines, the text 34 px tall, a few
// pixels at the size the detector first looks at a page.
LayoutPage RenderDensePage();

}  // namespace quillory::testing
