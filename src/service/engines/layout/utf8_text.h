#pragma once
// The little of UTF-8 that joining lines needs: code points at either end, and which of
// them belong to scripts written without spaces between words.

#include <cstddef>
#include <string_view>

#include "base/utf.h"

namespace ocrgated::layout {

// The first and the last code point; 0 for an empty text. Invalid bytes read as U+FFFD.
char32_t FirstCodePoint(std::string_view utf8);
char32_t LastCodePoint(std::string_view utf8);

// How many code points a text holds, and how many its first word does (one for a text
// that starts with a Chinese, Japanese or Korean character).
std::size_t CodePoints(std::string_view utf8);
std::size_t FirstWordLength(std::string_view utf8);

using quillory::IsCjk;

}  // namespace ocrgated::layout
