#include "service/engines/tables/rule_split.h"

#include "service/engines/layout/line_cut.h"
#include "service/engines/layout/utf8_text.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace ocrgated::layout {
namespace {

// The rule itself, read as a stroke where it runs: "12|box".
void DropRule(TextLine& line, float x) {
    for (std::size_t k = line.glyphs.size(); k-- > 0;) {
        const auto [from, to] = line.glyphs[k];
        const std::size_t byte = ByteOfNonSpace(line.text, k);
        std::size_t end = byte;
        const char32_t c = quillory::DecodeUtf8(line.text, end);
        if (std::u32string_view(U"|｜丨lI1!").find(c) != std::u32string_view::npos &&
            std::abs((from + to) / 2 - x) < 0.3f * line.box.height) {
            line.text.erase(byte, end - byte);
            line.glyphs.erase(line.glyphs.begin() + std::ptrdiff_t(k));
        }
    }
}

}  // namespace

Page SplitAtRules(const Page& page, double least_length, std::vector<std::size_t>& origin) {
    Page split = page;
    origin.resize(page.lines.size());
    for (std::size_t i = 0; i < origin.size(); ++i)
        origin[i] = i;
    for (const Rule& rule : page.rules.vertical) {
        if (rule.to.y - rule.from.y < least_length)
            continue;
        const float x = rule.from.x;
        for (std::size_t i = 0; i < split.lines.size(); ++i) {
            const cv::Rect2f box = split.lines[i].box;
            const float y = box.y + box.height / 2;
            if (x <= box.x || x >= box.x + box.width || y < rule.from.y || y > rule.to.y)
                continue;
            TextLine line = split.lines[i];
            if (line.glyphs.size() == NonSpaceCharacters(line.text))
                DropRule(line, x);
            if (auto pieces = CutLine(line, x)) {
                split.lines[i] = std::move(pieces->first);
                split.lines.push_back(std::move(pieces->second));
                origin.push_back(origin[i]);
            }
        }
    }
    return split;
}

Page SplitAtColumns(const Page& page, const std::vector<float>& xs, double least_gap,
                    std::vector<std::size_t>& origin) {
    Page split = page;
    for (float x : xs)
        for (std::size_t i = 0; i < split.lines.size(); ++i) {
            const cv::Rect2f box = split.lines[i].box;
            if (x <= box.x || x >= box.x + box.width)
                continue;
            // Only in a blank as wide as a channel: a header spanning the columns has a
            // character or a word's space there.
            const auto& glyphs = split.lines[i].glyphs;
            float before = box.x, after = box.x + box.width;
            for (const auto& [from, to] : glyphs) {
                if (to <= x)
                    before = std::max(before, to);
                if (from >= x)
                    after = std::min(after, from);
            }
            if (after - before < least_gap ||
                std::any_of(glyphs.begin(), glyphs.end(),
                            [&](const auto& g) { return g.first < x && g.second > x; }))
                continue;
            // ...and where the line has a space: the characters of one word stay together.
            const auto left_of = std::count_if(glyphs.begin(), glyphs.end(),
                                               [&](const auto& g) { return g.second <= x; });
            const std::string& text = split.lines[i].text;
            if (left_of == 0 || std::size_t(left_of) >= glyphs.size() ||
                text[ByteOfNonSpace(text, std::size_t(left_of)) - 1] != ' ')
                continue;
            if (auto pieces = CutLine(split.lines[i], x)) {
                split.lines[i] = std::move(pieces->first);
                split.lines.push_back(std::move(pieces->second));
                origin.push_back(origin[i]);
            }
        }
    return split;
}

}  // namespace ocrgated::layout
