#pragma once
// Small PDFs for tests: each page holds lines of large text in the standard sans font.

#include <string>
#include <vector>

namespace testing_support {

// The bytes of a PDF with one page per entry of `pages`, each the given lines.
std::string MakePdf(const std::vector<std::vector<std::string>>& pages);

}  // namespace testing_support
