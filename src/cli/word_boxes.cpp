#include "cli/word_boxes.h"

#include <algorithm>
#include <cmath>

namespace cli {
namespace {

// The line's characters one by one when the reply placed every one of them (spaces left
// out), their text as the line has it (a script conversion may have changed it).
std::vector<Glyph> Glyphs(const reply::ResultLine& line) {
    std::vector<Glyph> glyphs;
    std::size_t next = 0;
    for (std::size_t at = 0; at < line.words.size();) {
        const std::size_t from = at;
        const char16_t c = line.words[at++];
        if (c >= 0xD800 && c < 0xDC00 && at < line.words.size())
            ++at;  // the low half of a pair
        if (c == u' ')
            continue;
        if (next == line.characters.size())
            return {};
        const auto box = BoxOf(line.characters[next++].location);
        if (!box)
            return {};
        glyphs.push_back({line.words.substr(from, at - from), *box});
    }
    return next == line.characters.size() ? glyphs : std::vector<Glyph>{};
}

}  // namespace

Box& Box::operator|=(const Box& other) {
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
    return *this;
}

std::optional<Box> BoxOf(const reply::LineLocation& at) {
    if (!std::isfinite(at.left) || !std::isfinite(at.top) || !std::isfinite(at.width) ||
        !std::isfinite(at.height) || at.width < 0 || at.height < 0 ||
        std::abs(at.left) + at.width > 1e9 || std::abs(at.top) + at.height > 1e9)
        return std::nullopt;
    return Box{std::lround(at.left), std::lround(at.top), std::lround(at.left + at.width),
               std::lround(at.top + at.height)};
}

std::optional<Box> BoxOf(const reply::ResultLine& line) {
    return line.location ? BoxOf(*line.location) : std::nullopt;
}

// The line's words and their boxes: around their characters where the reply placed them,
// else their shares of the line's box along its width, or down a line taller than wide (a
// column of vertical text).
std::vector<Word> Words(const reply::ResultLine& line) {
    const std::u16string& text = line.words;
    const std::optional<Box> box = BoxOf(line);
    const std::vector<Glyph> glyphs = Glyphs(line);
    std::size_t glyph = 0;
    std::vector<Word> words;
    const double length = std::max<std::size_t>(1, text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == u' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(text.find(u' ', at), text.size());
        Word word{text.substr(at, end - at), std::nullopt, {}};
        for (std::size_t taken = 0; glyph < glyphs.size() && taken < word.text.size(); ++glyph) {
            taken += glyphs[glyph].text.size();
            word.glyphs.push_back(glyphs[glyph]);
            word.box = word.box ? (*word.box |= glyphs[glyph].box) : glyphs[glyph].box;
        }
        if (box && !word.box) {
            const bool down = box->bottom - box->top > box->right - box->left;
            const long from = down ? box->top : box->left;
            const long span = down ? box->bottom - box->top : box->right - box->left;
            const long start = from + std::lround(span * (double(at) / length));
            const long stop = from + std::lround(span * (double(end) / length));
            word.box = down ? Box{box->left, start, box->right, stop}
                            : Box{start, box->top, stop, box->bottom};
        }
        words.push_back(std::move(word));
        at = end;
    }
    return words;
}

}  // namespace cli
