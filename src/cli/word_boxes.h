#pragma once
// A recognised line's words (split at spaces) and their boxes in the picture: around their
// characters where the reply placed each one, else each word's share of its line's length.

#include <optional>
#include <string>
#include <vector>

#include "reply/result_lines.h"

namespace cli {

struct Box {
    long left = 0, top = 0, right = 0, bottom = 0;
    Box& operator|=(const Box& other);
};

// The box in whole pixels; none for a place that is no box (not finite, negative, huge).
std::optional<Box> BoxOf(const reply::LineLocation& at);
std::optional<Box> BoxOf(const reply::ResultLine& line);

struct Glyph {
    std::u16string text;
    Box box;
};

struct Word {
    std::u16string text;
    std::optional<Box> box;
    std::vector<Glyph> glyphs;  // where the reply placed each character
};

// The words in order; a word has no box when its line has none.
std::vector<Word> Words(const reply::ResultLine& line);

}  // namespace cli
