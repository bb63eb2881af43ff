#pragma once
// A page as the region finder sees it: lines run left to right and follow each other down.
// Vertical pages are turned a quarter into this frame, so one finder serves both.

#include "service/engines/layout/rules.h"

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::layout {

struct Frame {
    std::vector<cv::Rect2d> boxes;
    std::vector<Rule> across;  // rules across the lines: between columns
    std::vector<Rule> along;   // rules along the lines: under a header, over a footer
    double unit = 1;           // the median line thickness
};

// A blank band between boxes, from one edge to the other across the frame.
struct Gap {
    double from, to;
};

}  // namespace ocrgated::layout
