#pragma once
// The little of UTF-8 the layout stage counts: code points, the first word's length, and
// the characters other than spaces that a line's placed characters stand for.

#include <cstddef>
#include <string_view>

#include "base/utf.h"

namespace ocrgated::layout {

// How many code points a text holds, and how many its first word does (one for a text
// that starts with a Chinese, Japanese or Korean character).
std::size_t CodePoints(std::string_view utf8);
std::size_t FirstWordLength(std::string_view utf8);

// How many characters other than spaces a text holds, and the byte where the `index`-th
// of them starts (counted from 0); npos when the text holds fewer.
std::size_t NonSpaceCharacters(std::string_view utf8);
std::size_t ByteOfNonSpace(std::string_view utf8, std::size_t index);

using quillory::IsCjk;

}  // namespace ocrgated::layout
