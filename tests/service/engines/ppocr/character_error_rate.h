#pragma once
// Character error rate: edit distance over code points, after folding
// full-width forms to ASCII and dropping white space (engines differ in the
// spaces they put between Chinese characters; that is not a reading error).

#include <cstddef>
#include <string>
#include <vector>

namespace quillory::testing {

std::u32string NormalisedText(const std::vector<std::string>& lines);
std::size_t EditDistance(const std::u32string& a, const std::u32string& b);

// The lines one after another, " | " between them: how a reading is shown.
std::string Joined(const std::vector<std::string>& lines);

struct ErrorCount {
    std::size_t edits = 0, reference = 0;
    void Add(const std::vector<std::string>& expected, const std::vector<std::string>& read);
    double Rate() const {
        return reference ? static_cast<double>(edits) / static_cast<double>(reference) : 0;
    }
};

}  // namespace quillory::testing
