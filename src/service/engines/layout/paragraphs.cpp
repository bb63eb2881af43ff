#include "service/engines/layout/paragraphs.h"

#include "service/engines/layout/utf8_text.h"

#include <algorithm>

namespace ocrgated::layout {
namespace {

struct Line {
    double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300, thickness = 0;
    std::size_t characters = 0, first_word = 0;
};

Line Measure(const std::vector<cv::Rect2d>& boxes, const std::vector<std::string>& texts,
             const Row& row) {
    Line line;
    for (std::size_t i : row) {
        line.left = std::min(line.left, boxes[i].x);
        line.right = std::max(line.right, boxes[i].br().x);
        line.top = std::min(line.top, boxes[i].y);
        line.bottom = std::max(line.bottom, boxes[i].br().y);
        line.thickness = std::max(line.thickness, boxes[i].height);
        line.characters += CodePoints(texts[i]) + (line.characters > 0);
    }
    line.first_word = FirstWordLength(texts[row.front()]);
    return line;
}

double Ratio(double a, double b) {
    return std::max(a, b) / std::max(1e-6, std::min(a, b));
}

}  // namespace

std::vector<std::size_t> ParagraphStarts(const std::vector<cv::Rect2d>& boxes,
                                         const std::vector<std::string>& texts,
                                         const std::vector<Row>& rows,
                                         const ParagraphOptions& options) {
    if (rows.empty())
        return {};
    std::vector<Line> lines;
    for (const Row& row : rows)
        lines.push_back(Measure(boxes, texts, row));
    std::vector<double> gaps;
    double margin = 1e300;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        margin = std::min(margin, lines[k].left);
        if (k > 0)
            gaps.push_back(lines[k].top - lines[k - 1].bottom);
    }
    std::sort(gaps.begin(), gaps.end());
    // The lower median: with two gaps, the tighter one is the region's usual spacing.
    const double usual = gaps.empty() ? 0 : gaps[(gaps.size() - 1) / 2];
    const auto indented = [&](std::size_t k) {
        return lines[k].left - margin >= options.min_indent * lines[k].thickness;
    };

    std::vector<std::size_t> starts{0};
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const Line& before = lines[k - 1];
        const Line& line = lines[k];
        const double thickness = std::min(before.thickness, line.thickness);
        const bool resized = Ratio(before.thickness, line.thickness) > options.size_change;
        const bool apart = line.top - before.bottom > usual + options.extra_gap * thickness;
        // An indent only where the line after returns to the margin: not a block quote,
        // not the hanging lines of a list.
        const bool first_line = indented(k) && !indented(k - 1) &&
                                line.left - margin <= options.max_indent * line.thickness &&
                                (k + 1 == lines.size() || !indented(k + 1));
        // The line before stopped short although the next line's first word would have fit.
        std::vector<double> rights;
        for (const Line& other : lines)
            if (Ratio(other.thickness, before.thickness) <= options.size_change)
                rights.push_back(other.right);
        std::sort(rights.begin(), rights.end());
        const double edge =
            rights[std::size_t(options.edge_quantile * double(rights.size() - 1))];
        const double character =
            (before.right - before.left) / double(std::max<std::size_t>(1, before.characters));
        const double room = edge - before.right;
        const bool short_before = room > double(line.first_word + 1) * character &&
                                  room > options.min_indent * before.thickness;
        if (resized || apart || first_line || short_before)
            starts.push_back(k);
    }
    return starts;
}

}  // namespace ocrgated::layout
