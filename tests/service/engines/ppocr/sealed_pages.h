#pragma once
// Pages with seals stamped over their text, as contracts and invoices carry them: round and
// oval seals in red or blue ink laid over the print as ink lies on paper (the print shows
// through), each page beside the same page without its seals.

#include <cstdint>
#include <string>
#include <vector>

namespace quillory::testing {

struct SealedPage {
    std::string kind;
    std::vector<std::string> lines;   // the page's own text, top to bottom
    std::size_t seals = 0;            // stamped on it
    std::vector<std::uint8_t> clean;  // without the seals
    std::vector<std::uint8_t> sealed;
};

std::vector<SealedPage> RenderSealedSet();

}  // namespace quillory::testing
