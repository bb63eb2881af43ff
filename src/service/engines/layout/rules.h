#pragma once
// Long straight rules drawn on a page: column separators, header and footer lines, table
// borders. The layout stage and the table stage both read them.

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::layout {

// A rule from its left (horizontal) or top (vertical) end to the other, along its middle.
struct Rule {
    cv::Point2f from, to;
    float thickness = 1;
};

struct Rules {
    std::vector<Rule> horizontal;  // top to bottom
    std::vector<Rule> vertical;    // left to right
};

struct RuleOptions {
    int window = 31;              // side of the adaptive threshold's window, in pixels (odd)
    double contrast = 12;         // how much darker than its surroundings a rule pixel is
    double kernel = 0.06;         // opening length, as a share of the page side it runs along
    double min_length = 0.12;     // shortest rule kept, as a share of that side
    double max_thickness = 0.02;  // thickest, as a share of the page's shorter side
    double join_gap = 0.02;       // collinear pieces this close (share of the side) are one rule
    int bridge = 0;  // breaks this long (pixels) in a rule's ink, a photograph's noise, are closed
    // Whether the edge of a picture (a photograph's texture along one side, paper along the
    // other) counts as a rule: a page's regions are not cut at a figure's edge, but a
    // table's shaded rows end at theirs.
    bool picture_edges = false;
};

// grey: 8-bit, one channel, dark ink on a light ground.
Rules FindRules(const cv::Mat& grey, const RuleOptions& options = {});

}  // namespace ocrgated::layout
