// Regions are found top down: the page is cut along blank bands and rules, and cut between
// columns only where a blank band runs down many lines (or a rule stands in it), so neither
// a ragged edge nor words spaced out in one line make columns. Regions keep the engine's
// line order inside; paragraphs break at indents, short lines, wider gaps and size changes.
#include "service/engines/layout/page_layout.h"

#include "service/engines/layout/frame.h"
#include "service/engines/layout/paragraphs.h"
#include "service/engines/layout/region_cut.h"
#include "service/engines/layout/text_rows.h"

#include <algorithm>

namespace ocrgated::layout {
namespace {

// A vertical page is turned a quarter clockwise back: its columns, right to left, become
// lines top to bottom, and a column's top becomes a line's left end.
Frame IntoFrame(const Page& page) {
    Frame frame;
    if (!page.vertical) {
        for (const TextLine& line : page.lines)
            frame.boxes.emplace_back(line.box);
        frame.across = page.rules.vertical;
        frame.along = page.rules.horizontal;
    } else {
        double width = page.size.width;
        if (width <= 0)
            for (const TextLine& line : page.lines)
                width = std::max<double>(width, line.box.br().x);
        const auto turned = [width](cv::Point2f p) {
            return cv::Point2f(p.y, static_cast<float>(width) - p.x);
        };
        for (const TextLine& line : page.lines) {
            const cv::Rect2d box(line.box);
            frame.boxes.emplace_back(box.y, width - box.br().x, box.height, box.width);
        }
        for (const Rule& rule : page.rules.horizontal)
            frame.across.push_back({turned(rule.to), turned(rule.from), rule.thickness});
        for (const Rule& rule : page.rules.vertical)
            frame.along.push_back({turned(rule.from), turned(rule.to), rule.thickness});
    }
    frame.unit = MedianHeight(frame.boxes);
    return frame;
}

}  // namespace

PageLayout LayOut(const Page& page, const LayoutOptions& options) {
    const Frame frame = IntoFrame(page);
    std::vector<std::string> texts;
    for (const TextLine& line : page.lines)
        texts.push_back(line.text);

    PageLayout layout;
    for (const std::vector<std::size_t>& cut : CutRegions(frame, options.regions)) {
        const std::vector<Row> rows = Rows(frame.boxes, cut);
        const std::vector<std::size_t> starts =
            ParagraphStarts(frame.boxes, texts, rows, options.paragraphs);
        std::vector<std::size_t>& region = layout.regions.emplace_back();
        for (std::size_t k = 0; k < rows.size(); ++k) {
            if (std::find(starts.begin(), starts.end(), k) != starts.end())
                layout.paragraphs.emplace_back();
            for (std::size_t i : rows[k]) {
                layout.paragraphs.back().push_back(layout.order.size());
                layout.order.push_back(i);
                region.push_back(i);
            }
        }
    }
    return layout;
}

}  // namespace ocrgated::layout
