#include "service/engines/layout/gutter.h"

#include <algorithm>

namespace ocrgated::layout {
namespace {

struct Side {
    std::vector<std::size_t> boxes;
    double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;

    void Add(std::size_t i, const cv::Rect2d& box) {
        boxes.push_back(i);
        left = std::min(left, box.x);
        right = std::max(right, box.br().x);
        top = std::min(top, box.y);
        bottom = std::max(bottom, box.br().y);
    }
};

bool RuleBetween(const Frame& frame, Gap gap, const Side& a, const Side& b,
                 const RegionOptions& options) {
    const double slack = options.rule_slack * frame.unit;
    const double needed = options.rule_reach * std::min(a.bottom - a.top, b.bottom - b.top);
    return std::any_of(frame.across.begin(), frame.across.end(), [&](const Rule& rule) {
        const double x = (rule.from.x + rule.to.x) / 2;
        const double reach = std::min<double>(rule.to.y, std::max(a.bottom, b.bottom)) -
                             std::max<double>(rule.from.y, std::min(a.top, b.top));
        return x >= gap.from - slack && x <= gap.to + slack && reach >= needed;
    });
}

// Lines running across the others: a heading over columns of a vertical page, a label set
// down the margin of a horizontal one. Nothing beside them is part of their lines.
bool RunsAcross(const Frame& frame, const Side& side, const RegionOptions& options) {
    return std::all_of(side.boxes.begin(), side.boxes.end(), [&](std::size_t i) {
        const cv::Rect2d& box = frame.boxes[i];
        return box.height >= options.across_ratio * box.width &&
               box.height >= options.across_ratio * frame.unit;
    });
}

double MedianWidth(const Frame& frame, const Side& side) {
    std::vector<double> widths;
    for (std::size_t i : side.boxes)
        widths.push_back(frame.boxes[i].width);
    std::nth_element(widths.begin(), widths.begin() + std::ptrdiff_t(widths.size() / 2),
                     widths.end());
    return widths[widths.size() / 2];
}

}  // namespace

bool SeparatesColumns(const Frame& frame, const std::vector<Row>& rows, Gap gap,
                      const RegionOptions& options) {
    Side left, right;
    for (const Row& row : rows)
        for (std::size_t i : row)
            (frame.boxes[i].x < gap.from ? left : right).Add(i, frame.boxes[i]);
    if (left.boxes.empty() || right.boxes.empty())
        return false;
    if (RuleBetween(frame, gap, left, right, options))
        return true;
    if (RunsAcross(frame, left, options) || RunsAcross(frame, right, options))
        return true;
    if (gap.to - gap.from < options.min_gutter * frame.unit)
        return false;

    // Both sides are columns of several lines standing beside each other, not a date set
    // to the right above a letter's first lines.
    const double overlap = std::min(left.bottom, right.bottom) - std::max(left.top, right.top);
    const double shorter = std::min(left.bottom - left.top, right.bottom - right.top);
    if (overlap < options.min_side_overlap * shorter)
        return false;
    int left_lines = 0, right_lines = 0, shared = 0;
    for (const Row& row : rows) {
        const bool on_left = std::any_of(
            row.begin(), row.end(), [&](std::size_t i) { return frame.boxes[i].x < gap.from; });
        const bool on_right = std::any_of(
            row.begin(), row.end(), [&](std::size_t i) { return frame.boxes[i].x >= gap.from; });
        left_lines += on_left;
        right_lines += on_right;
        shared += on_left && on_right;
    }
    if (std::min(left_lines, right_lines) < options.min_column_lines)
        return false;
    if (shared == 0)
        return true;
    // Pieces of one row on both sides: only a gutter that runs down many rows between
    // columns wide enough to be text, not words spaced out in a line or a list's numbers.
    const double narrower = std::min(left.right - left.left, right.right - right.left);
    if (std::min(left_lines, right_lines) < options.min_shared_lines ||
        narrower < options.min_column_width * frame.unit)
        return false;
    // Pieces side by side in (nearly) every row a side has are a table's rows or a
    // receipt's items and amounts, unless they are as long as lines of text: columns hold
    // lines, a table holds short cells.
    const double line = options.min_line_length * frame.unit;
    if (MedianWidth(frame, left) >= line && MedianWidth(frame, right) >= line)
        return true;
    if (shared == static_cast<int>(rows.size()))
        return false;
    // A narrow side of short pieces nearly all beside the other's: amounts or page numbers.
    const Side& narrow = left.right - left.left < right.right - right.left ? left : right;
    return narrower >= 2 * line || MedianWidth(frame, narrow) >= line ||
           shared < options.min_shared_share * std::min(left_lines, right_lines);
}

}  // namespace ocrgated::layout
