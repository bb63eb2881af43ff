#pragma once
// A paragraph's lines joined into running text, as a reader would copy them out.

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Chinese, Japanese and Korean lines meet with nothing between them, other lines with one
// space. A hyphen that splits a word (a lowercase letter before it, one starting the next
// line) goes.
std::string JoinLines(const std::vector<std::string_view>& lines);

}  // namespace quillory
