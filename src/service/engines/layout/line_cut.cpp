#include "service/engines/layout/line_cut.h"

#include "service/engines/layout/utf8_text.h"

#include <algorithm>
#include <string_view>

namespace ocrgated::layout {
namespace {

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::optional<std::pair<TextLine, TextLine>> CutLine(const TextLine& line, float x) {
    const auto& glyphs = line.glyphs;
    if (glyphs.empty() || glyphs.size() != NonSpaceCharacters(line.text))
        return std::nullopt;
    const auto left_of = std::count_if(glyphs.begin(), glyphs.end(),
                                       [&](const auto& g) { return (g.first + g.second) / 2 < x; });
    const auto k = static_cast<std::size_t>(left_of);
    if (k == 0 || k == glyphs.size())
        return std::nullopt;
    const std::size_t byte = ByteOfNonSpace(line.text, k);
    TextLine left{line.box,
                  Trimmed(std::string_view(line.text).substr(0, byte)),
                  {glyphs.begin(), glyphs.begin() + left_of},
                  {}};
    TextLine right{line.box,
                   Trimmed(std::string_view(line.text).substr(byte)),
                   {glyphs.begin() + left_of, glyphs.end()},
                   {}};
    // Each piece ends at its ink where the line's blank at x was measured.
    float left_end = std::min(x, glyphs[k - 1].second), right_start = std::max(x, glyphs[k].first);
    for (const auto& gap : line.gaps) {
        if (gap.first <= x && x <= gap.second) {
            left_end = gap.first;
            right_start = gap.second;
        } else {
            (gap.second <= x ? left : right).gaps.push_back(gap);
        }
    }
    left.box.width = left_end - line.box.x;
    right.box.x = right_start;
    right.box.width = line.box.x + line.box.width - right.box.x;
    if (left.box.width <= 0 || right.box.width <= 0)
        return std::nullopt;
    return std::pair{std::move(left), std::move(right)};
}

}  // namespace ocrgated::layout
