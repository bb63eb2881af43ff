#pragma once
// The little of UTF-8 the layout stage counts: code points, and the first word's length.

#include <cstddef>
#include <string_view>

#include "base/utf.h"

namespace ocrgated::layout {

// How many code points a text holds, and how many its first word does (one for a text
// that starts with a Chinese, Japanese or Korean character).
std::size_t CodePoints(std::string_view utf8);
std::size_t FirstWordLength(std::string_view utf8);

using quillory::IsCjk;

}  // namespace ocrgated::layout
