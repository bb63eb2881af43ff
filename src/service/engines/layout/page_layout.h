#pragma once
// The layout stage: a page's recognised lines in the order people read them, with the
// regions and paragraphs they form.

#include "service/engines/layout/layout_options.h"
#include "service/engines/layout/rules.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ocrgated::layout {

struct TextLine {
    cv::Rect2f box;    // bounds in the reading frame: the page turned upright and deskewed
    std::string text;  // UTF-8; only paragraphs and tables look at it
    // Each character's extent along the line in that frame, spaces left out; empty when
    // the engine does not place them. Tables cut a line a rule runs through by them.
    std::vector<std::pair<float, float>> glyphs;
    // Blank stretches inside the line, wider than a word's space, in that frame; empty when
    // the engine does not measure them. A gutter the detector ran the line over is one.
    std::vector<std::pair<float, float>> gaps;
};

struct Page {
    std::vector<TextLine> lines;
    Rules rules;            // in the same frame as the boxes
    cv::Size2f size;        // of the page in that frame; the boxes' bounds when empty
    bool vertical = false;  // lines are columns read top to bottom, columns right to left
};

struct PageLayout {
    std::vector<std::size_t> order;                    // indices into Page::lines
    std::vector<std::vector<std::size_t>> regions;     // indices into Page::lines, in order
    std::vector<std::vector<std::size_t>> paragraphs;  // positions in `order`
};

// Every line lands in exactly one region and one paragraph. A page with no columns comes
// out in the order the engine has always given: lines top to bottom (a line is the boxes
// overlapping the first one's height by half), a line's boxes left to right.
PageLayout LayOut(const Page& page, const LayoutOptions& options = {});

}  // namespace ocrgated::layout
