#include "service/engines/ppocr/layout_stage.h"

#include "service/engines/layout/page_layout.h"
#include "service/engines/ppocr/character_boxes.h"
#include "service/engines/ppocr/picture_input.h"
#include "service/engines/ppocr/reading_order.h"
#include "service/engines/ppocr/single_line.h"

#include <opencv2/imgproc.hpp>

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

// The picture's long rules, in the frame the boxes are laid out in.
layout::Rules RulesInFrame(const cv::Mat& picture, QuarterTurns turns, double angle,
                           const layout::RuleOptions& options) {
    cv::Mat grey = picture;
    if (picture.channels() == 3)
        cv::cvtColor(picture, grey, cv::COLOR_BGR2GRAY);
    else if (picture.channels() == 4)
        cv::cvtColor(picture, grey, cv::COLOR_BGRA2GRAY);
    const layout::Rules found = layout::FindRules(grey, options);
    layout::Rules rules;
    const auto add = [&](const layout::Rule& rule) {
        const TextBox line{{rule.from, rule.to, rule.to, rule.from}};
        const cv::Rect2f r = Deskewed(IntoReadingFrame(line, picture.size(), turns), angle);
        const cv::Point2f centre(r.x + r.width / 2, r.y + r.height / 2);
        if (r.width >= r.height)
            rules.horizontal.push_back(
                {{r.x, centre.y}, {r.x + r.width, centre.y}, rule.thickness});
        else
            rules.vertical.push_back(
                {{centre.x, r.y}, {centre.x, r.y + r.height}, rule.thickness});
    };
    std::for_each(found.horizontal.begin(), found.horizontal.end(), add);
    std::for_each(found.vertical.begin(), found.vertical.end(), add);
    return rules;
}

}  // namespace

std::vector<RecognizedLine> LayOutLines(const std::vector<LineRecord>& records,
                                        const cv::Mat& picture, QuarterTurns turns,
                                        double min_confidence, const LayoutStageOptions& options) {
    std::vector<RecognizedLine> kept;
    std::vector<TextBox> upright;
    for (const LineRecord& record : records) {
        if (record.text.text.empty())
            continue;
        RecognizedLine line;
        line.words = record.text.text;
        const cv::Rect bounds = Bounds(record.box, picture.size());
        line.left = bounds.x;
        line.top = bounds.y;
        line.width = bounds.width;
        line.height = bounds.height;
        line.page_direction = (4 - turns) % 4;
        for (const cv::Point2f& corner : record.box.corners)
            line.corners.push_back({std::clamp(int(std::lround(corner.x)), 0, picture.cols - 1),
                                    std::clamp(int(std::lround(corner.y)), 0, picture.rows - 1)});
        FillConfidence(line, record.text.probabilities);
        if (line.average < min_confidence)
            continue;
        line.characters = PlaceCharacters(record, picture.size());
        kept.push_back(std::move(line));
        upright.push_back(IntoReadingFrame(record.box, picture.size(), turns));
    }
    std::vector<RecognizedLine> lines;
    if (!options.enabled) {
        for (std::size_t i : ReadingOrder(upright))
            lines.push_back(kept[i]);
        return lines;
    }
    const double angle = TextAngle(upright);
    layout::Page page;
    for (std::size_t i = 0; i < kept.size(); ++i)
        page.lines.push_back({Deskewed(upright[i], angle), kept[i].words});
    // Rules only matter where there are lines to set apart.
    if (options.find_rules && kept.size() > 1)
        page.rules = RulesInFrame(picture, turns, angle, options.rules);
    const layout::PageLayout laid = layout::LayOut(page, options.page);
    for (std::size_t i : laid.order)
        lines.push_back(kept[i]);
    for (std::size_t k = 0; k < laid.paragraphs.size(); ++k)
        for (std::size_t position : laid.paragraphs[k])
            lines[position].paragraph = static_cast<int>(k);
    return lines;
}

}  // namespace ocrgated::ppocr
