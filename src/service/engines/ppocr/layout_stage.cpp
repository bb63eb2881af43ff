#include "service/engines/ppocr/layout_stage.h"

#include "service/engines/layout/page_layout.h"
#include "service/engines/ppocr/picture_input.h"
#include "service/engines/ppocr/reading_order.h"
#include "service/engines/ppocr/single_line.h"

#include <algorithm>
#include <cmath>

namespace ocrgated::ppocr {
namespace {

// The box's bounds along the page's text direction and across it: the frame in which
// the layout stage looks for columns, so that a skewed page lays out as a straight one.
cv::Rect2f Deskewed(const TextBox& box, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
    for (const cv::Point2f& p : box.corners) {
        const double along = c * p.x + s * p.y, across = -s * p.x + c * p.y;
        left = std::min(left, along);
        right = std::max(right, along);
        top = std::min(top, across);
        bottom = std::max(bottom, across);
    }
    return {float(left), float(top), float(right - left), float(bottom - top)};
}

}  // namespace

std::vector<RecognizedLine> LayOutLines(const std::vector<LineRecord>& records, cv::Size size,
                                        QuarterTurns turns, double min_confidence) {
    std::vector<RecognizedLine> kept;
    std::vector<TextBox> upright;
    for (const LineRecord& record : records) {
        if (record.text.text.empty())
            continue;
        RecognizedLine line;
        line.words = record.text.text;
        const cv::Rect bounds = Bounds(record.box, size);
        line.left = bounds.x;
        line.top = bounds.y;
        line.width = bounds.width;
        line.height = bounds.height;
        FillConfidence(line, record.text.probabilities);
        if (line.average < min_confidence)
            continue;
        kept.push_back(std::move(line));
        upright.push_back(IntoReadingFrame(record.box, size, turns));
    }
    const double angle = TextAngle(upright);
    layout::Page page;
    for (std::size_t i = 0; i < kept.size(); ++i)
        page.lines.push_back({Deskewed(upright[i], angle), kept[i].words});
    const layout::PageLayout laid = layout::LayOut(page);
    std::vector<RecognizedLine> lines;
    for (std::size_t i : laid.order)
        lines.push_back(kept[i]);
    for (std::size_t k = 0; k < laid.paragraphs.size(); ++k)
        for (std::size_t position : laid.paragraphs[k])
            lines[position].paragraph = static_cast<int>(k);
    return lines;
}

}  // namespace ocrgated::ppocr
