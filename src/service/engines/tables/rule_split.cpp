#include "service/engines/tables/rule_split.h"

#include "service/engines/layout/utf8_text.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

namespace ocrgated::layout {
namespace {

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

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

// The line cut at x into the part left of it and the part right of it, or nothing.
// At a rule, the stroke read for the rule itself goes.
std::optional<std::pair<TextLine, TextLine>> Cut(TextLine line, float x, bool at_rule) {
    if (line.glyphs.empty() || line.glyphs.size() != NonSpaceCharacters(line.text))
        return std::nullopt;
    if (at_rule)
        DropRule(line, x);
    const auto& glyphs = line.glyphs;
    const auto left_of = std::count_if(glyphs.begin(), glyphs.end(),
                                       [&](const auto& g) { return (g.first + g.second) / 2 < x; });
    const auto k = static_cast<std::size_t>(left_of);
    if (k == 0 || k == glyphs.size())
        return std::nullopt;
    const std::size_t byte = ByteOfNonSpace(line.text, k);
    TextLine left{line.box,
                  Trimmed(std::string_view(line.text).substr(0, byte)),
                  {glyphs.begin(), glyphs.begin() + left_of}};
    TextLine right{line.box,
                   Trimmed(std::string_view(line.text).substr(byte)),
                   {glyphs.begin() + left_of, glyphs.end()}};
    left.box.width = std::min(x, glyphs[k - 1].second) - line.box.x;
    right.box.x = std::max(x, glyphs[k].first);
    right.box.width = line.box.x + line.box.width - right.box.x;
    if (left.box.width <= 0 || right.box.width <= 0)
        return std::nullopt;
    return std::pair{std::move(left), std::move(right)};
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
            if (auto pieces = Cut(split.lines[i], x, true)) {
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
            if (auto pieces = Cut(split.lines[i], x, false)) {
                split.lines[i] = std::move(pieces->first);
                split.lines.push_back(std::move(pieces->second));
                origin.push_back(origin[i]);
            }
        }
    return split;
}

}  // namespace ocrgated::layout
