#include "service/engines/layout/gutter_split.h"

#include "service/engines/layout/line_cut.h"
#include "service/engines/layout/text_rows.h"
#include "service/engines/layout/utf8_text.h"

#include <algorithm>

namespace ocrgated::layout {
namespace {

struct Blank {
    float from, to;
    float middle() const { return (from + to) / 2; }
};

// The places a gutter can run through the line: its measured gaps at least `least_gap`
// wide or, unmeasured, its blanks wider than `least` beyond its usual character pitch where
// its text has a space.
std::vector<Blank> WideBlanks(const TextLine& line, float least, float least_gap) {
    const auto& glyphs = line.glyphs;
    std::vector<Blank> blanks;
    if (glyphs.size() < 2 || glyphs.size() != NonSpaceCharacters(line.text))
        return blanks;
    if (!line.gaps.empty()) {
        for (const auto& [from, to] : line.gaps)
            if (to - from >= least_gap)
                blanks.push_back({from, to});
        return blanks;
    }
    std::vector<float> centres, steps;
    for (const auto& [from, to] : glyphs)
        centres.push_back((from + to) / 2);
    for (std::size_t k = 1; k < centres.size(); ++k)
        steps.push_back(centres[k] - centres[k - 1]);
    std::vector<float> sorted = steps;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2),
                     sorted.end());
    const float pitch = sorted[sorted.size() / 2];
    for (std::size_t k = 1; k < centres.size(); ++k)
        if (steps[k - 1] - pitch >= least && line.text[ByteOfNonSpace(line.text, k) - 1] == ' ')
            blanks.push_back({centres[k - 1] + pitch / 2, centres[k] - pitch / 2});
    return blanks;
}

// Whether the lines near `line` stop on both sides of x rather than run through it.
bool IsGutter(const Page& page, std::size_t line, float x,
              const std::vector<std::vector<Blank>>& blanks, double unit,
              const GutterOptions& options) {
    const cv::Rect2f& box = page.lines[line].box;
    const float centre = box.y + box.height / 2;
    int left = 0, right = 0, crossing = 0;
    for (std::size_t j = 0; j < page.lines.size(); ++j) {
        const cv::Rect2f& other = page.lines[j].box;
        if (j == line || std::abs(other.y + other.height / 2 - centre) > options.reach * unit)
            continue;
        if (other.br().x <= x)
            ++left;
        else if (other.x >= x)
            ++right;
        else if (std::any_of(blanks[j].begin(), blanks[j].end(),
                             [x](const Blank& b) { return b.from <= x && x <= b.to; }))
            ++left, ++right;  // bridged alike
        else
            ++crossing;
    }
    return left >= options.min_side_lines && right >= options.min_side_lines &&
           crossing <= options.max_crossing * (left + right + crossing);
}

// A line whose characters all stand on one side of a gutter, its box reaching over it to
// ink it did not read: the box ends at the gutter.
void KeepReadSide(TextLine& line, const Blank& blank) {
    const auto& glyphs = line.glyphs;
    const auto left_of = [&](const auto& g) { return (g.first + g.second) / 2 < blank.middle(); };
    float left = line.box.x, right = line.box.br().x;
    if (!glyphs.empty() && std::all_of(glyphs.begin(), glyphs.end(), left_of))
        right = blank.from;
    else if (std::none_of(glyphs.begin(), glyphs.end(), left_of))
        left = blank.to;
    if (right > left) {
        line.box.x = left;
        line.box.width = right - left;
        std::erase_if(line.gaps,
                      [&](const auto& gap) { return gap.first < left || gap.second > right; });
    }
}

}  // namespace

Page SplitAtGutters(const Page& page, const GutterOptions& options,
                    std::vector<std::size_t>& origin) {
    origin.resize(page.lines.size());
    for (std::size_t i = 0; i < origin.size(); ++i)
        origin[i] = i;
    if (page.vertical || page.lines.size() < 3)
        return page;
    std::vector<cv::Rect2d> boxes;
    for (const TextLine& line : page.lines)
        boxes.emplace_back(line.box);
    const double unit = MedianHeight(boxes);
    std::vector<std::vector<Blank>> blanks;
    for (const TextLine& line : page.lines)
        blanks.push_back(
            WideBlanks(line, float(options.min_blank * unit), float(options.min_gap * unit)));

    Page split = page;
    for (std::size_t i = 0; i < page.lines.size(); ++i) {
        // Cut left to right: the right piece is what the next gutter may cut again.
        std::size_t at = i;
        for (const Blank& blank : blanks[i]) {
            if (!IsGutter(page, i, blank.middle(), blanks, unit, options))
                continue;
            if (auto pieces = CutLine(split.lines[at], blank.middle())) {
                split.lines[at] = std::move(pieces->first);
                split.lines.push_back(std::move(pieces->second));
                origin.push_back(i);
                at = split.lines.size() - 1;
            } else {
                KeepReadSide(split.lines[at], blank);
            }
        }
    }
    return split;
}

}  // namespace ocrgated::layout
