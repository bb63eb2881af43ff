#pragma once
// Print that shows faintly behind a document's text: a receipt roll's pre-printed notes
// and advertising, the back of a thin page showing through. A line whose ink stands out
// from its paper far less than the page's clearly printed lines do is no part of what
// was printed on it, and is not read.

#include "service/engines/ppocr/db_postprocess.h"

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::ppocr {

struct FaintOptions {
    // A line goes when its contrast is under this share of the page's strong lines'
    // (the 90th percentile of its lines)…
    double min_share = 0.3;
    // …and those stand out by at least this much (0–255); a page printed light all over
    // keeps every line.
    double strong_contrast = 120;
};

// How far a box's ink stands from its paper, 0–255: in the channel where it stands out
// most, the distance from the median to the 1st or 99th percentile, whichever is farther
// (a dash's ink may cover a twentieth of its box).
double Contrast(const cv::Mat& picture, const TextBox& box);

// boxes without the faint ones; picture: 8-bit BGR, in the boxes' frame.
std::vector<TextBox> WithoutFaintLines(const cv::Mat& picture, std::vector<TextBox> boxes,
                                       const FaintOptions& options);

}  // namespace ocrgated::ppocr
