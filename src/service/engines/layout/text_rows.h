#pragma once
// Rows of boxes, formed the way the engine has always ordered a page's lines: a page with
// no columns keeps exactly that order.

#include <opencv2/core.hpp>

#include <cstddef>
#include <vector>

namespace ocrgated::layout {

using Row = std::vector<std::size_t>;

// The boxes of `subset` (indices into boxes, any order) as rows top to bottom, each left
// to right. Going down by top edge, a box joins the row when it overlaps the row's first
// box vertically by half the thinner of the two.
std::vector<Row> Rows(const std::vector<cv::Rect2d>& boxes, std::vector<std::size_t> subset);

// The median of the boxes' heights; 1 without boxes.
double MedianHeight(const std::vector<cv::Rect2d>& boxes);

}  // namespace ocrgated::layout
