#pragma once
// Tidies a recognised line: engines put spaces between CJK characters that the
// writing system does not have; spaces between Latin words stay.

#include <string>
#include <string_view>

namespace ocrgated {

// Removes every run of spaces whose neighbours on both sides are CJK, and trims
// the line. Invalid UTF-8 passes through unchanged.
std::string RemoveCjkSpaces(std::string_view line);

}  // namespace ocrgated
