#include "service/engines/ppocr/layout_stage.h"

#include "base/line_join.h"
#include "service/engines/layout/gutter_split.h"
#include "service/engines/layout/page_layout.h"
#include "service/engines/ppocr/character_boxes.h"
#include "service/engines/ppocr/page_pieces.h"
#include "service/engines/ppocr/picture_input.h"
#include "service/engines/ppocr/reading_order.h"
#include "service/engines/ppocr/single_line.h"
#include "service/engines/tables/tables.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocrgated::ppocr {
namespace {

// A skew below this (in radians, about a third of a degree) leaves rules straight enough.
constexpr double kLeastSkew = 0.006;

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

// The picture's long rules, in the frame the boxes are laid out in. Straightened, they are
// looked for on the picture turned by the text's angle: a skewed rule is a staircase that
// the search along one axis only finds in short steps.
layout::Rules RulesInFrame(const cv::Mat& picture, QuarterTurns turns, double angle,
                           const layout::RuleOptions& options, bool straighten = false) {
    cv::Mat grey = picture;
    if (picture.channels() == 3)
        cv::cvtColor(picture, grey, cv::COLOR_BGR2GRAY);
    else if (picture.channels() == 4)
        cv::cvtColor(picture, grey, cv::COLOR_BGRA2GRAY);
    cv::Mat back;  // from the straightened picture to the picture
    if (straighten && std::abs(angle) > kLeastSkew) {
        const cv::Mat turn = cv::getRotationMatrix2D(cv::Point2f(grey.cols / 2.f, grey.rows / 2.f),
                                                     angle * 180 / CV_PI, 1.0);
        cv::Mat straight;
        cv::warpAffine(grey, straight, turn, grey.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        grey = straight;
        cv::invertAffineTransform(turn, back);
    }
    const layout::Rules found = layout::FindRules(grey, options);
    layout::Rules rules;
    const auto add = [&](layout::Rule rule) {
        if (!back.empty()) {
            std::vector<cv::Point2f> ends{rule.from, rule.to};
            cv::transform(ends, ends, back);
            rule.from = ends[0];
            rule.to = ends[1];
        }
        const TextBox line{{rule.from, rule.to, rule.to, rule.from}};
        const cv::Rect2f r = Deskewed(IntoReadingFrame(line, picture.size(), turns), angle);
        const cv::Point2f centre(r.x + r.width / 2, r.y + r.height / 2);
        if (r.width >= r.height)
            rules.horizontal.push_back(
                {{r.x, centre.y}, {r.x + r.width, centre.y}, rule.thickness});
        else
            rules.vertical.push_back({{centre.x, r.y}, {centre.x, r.y + r.height}, rule.thickness});
    };
    std::for_each(found.horizontal.begin(), found.horizontal.end(), add);
    std::for_each(found.vertical.begin(), found.vertical.end(), add);
    return rules;
}

// The frame's rectangle as corners on the picture, clockwise from its top left as read.
std::vector<PicturePoint> OnPicture(const cv::Rect2f& r, double angle, cv::Size size,
                                    QuarterTurns turns) {
    const double c = std::cos(angle), s = std::sin(angle);
    std::vector<PicturePoint> corners;
    for (const cv::Point2f& p :
         {r.tl(), cv::Point2f(r.x + r.width, r.y), r.br(), cv::Point2f(r.x, r.y + r.height)}) {
        const cv::Point2f upright(float(c * p.x - s * p.y), float(s * p.x + c * p.y));
        const cv::Point2f at = FromReadingFrame(upright, size, turns);
        corners.push_back({std::clamp(int(std::lround(at.x)), 0, size.width - 1),
                           std::clamp(int(std::lround(at.y)), 0, size.height - 1)});
    }
    return corners;
}

// The characters' extents along the line in the layout's frame: where a line is cut at
// a gutter or a table's rule.
std::vector<std::pair<float, float>> Glyphs(const RecognizedLine& line, cv::Size size,
                                            QuarterTurns turns, double angle) {
    std::vector<std::pair<float, float>> glyphs;
    for (const PlacedCharacter& c : line.characters) {
        const cv::Point2f tl(float(c.left), float(c.top));
        const cv::Point2f br(float(c.left + c.width), float(c.top + c.height));
        const TextBox box{{tl, cv::Point2f(br.x, tl.y), br, cv::Point2f(tl.x, br.y)}};
        const cv::Rect2f r = Deskewed(IntoReadingFrame(box, size, turns), angle);
        glyphs.emplace_back(r.x, r.x + r.width);
    }
    return glyphs;
}

// The page's tables, their cells holding the laid-out lines (`position` maps a line of the
// page to its place among them).
std::vector<RecognizedTable> Tables(layout::Page page, const cv::Mat& picture, QuarterTurns turns,
                                    double angle, const std::vector<std::size_t>& position,
                                    const std::vector<RecognizedLine>& lines,
                                    const LayoutStageOptions& options) {
    page.rules = RulesInFrame(picture, turns, angle, options.table_rules, true);
    std::vector<RecognizedTable> tables;
    for (const layout::TableGrid& grid : layout::FindTables(page, options.tables)) {
        RecognizedTable table;
        table.rows = int(grid.row_edges.size()) - 1;
        table.columns = int(grid.column_edges.size()) - 1;
        table.corners = OnPicture(grid.box(), angle, picture.size(), turns);
        for (const layout::GridCell& grid_cell : grid.cells) {
            TableCell cell{grid_cell.row_start,
                           grid_cell.row_end,
                           grid_cell.col_start,
                           grid_cell.col_end,
                           OnPicture(grid_cell.box, angle, picture.size(), turns),
                           {},
                           {}};
            for (std::size_t i : grid_cell.lines)
                cell.lines.push_back(position[i]);
            cell.words = quillory::JoinLines(
                std::vector<std::string_view>(grid_cell.texts.begin(), grid_cell.texts.end()));
            table.cells.push_back(std::move(cell));
        }
        for (std::size_t i : grid.header)
            table.header.push_back({lines[position[i]].corners, lines[position[i]].words});
        for (std::size_t i : grid.footer)
            table.footer.push_back({lines[position[i]].corners, lines[position[i]].words});
        tables.push_back(std::move(table));
    }
    return tables;
}

}  // namespace

PageReading LayOutLines(const std::vector<LineRecord>& records, const cv::Mat& picture,
                        QuarterTurns turns, double min_confidence,
                        const LayoutStageOptions& options) {
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
    PageReading reading;
    std::vector<RecognizedLine>& lines = reading.lines;
    if (!options.enabled) {
        for (std::size_t i : ReadingOrder(upright))
            lines.push_back(kept[i]);
        return reading;
    }
    const double angle = TextAngle(upright);
    layout::Page page;
    for (std::size_t i = 0; i < kept.size(); ++i)
        page.lines.push_back({Deskewed(upright[i], angle),
                              kept[i].words,
                              Glyphs(kept[i], picture.size(), turns, angle),
                              {}});
    // Rules only matter where there are lines to set apart.
    if (options.find_rules && kept.size() > 1)
        page.rules = RulesInFrame(picture, turns, angle, options.rules);
    // Ordered bounded by their ink and cut at gutters; tables are found on the lines as
    // detected, for which their cells are measured.
    layout::Page ordered = page;
    if (turns == 0 && std::abs(angle) < kLeastSkew)
        BoundByInk(ordered, kept, picture);
    std::vector<std::size_t> origin;
    ordered = layout::SplitAtGutters(ordered, options.page.gutters, origin);
    const std::vector<RecognizedLine> pieces =
        origin.size() == kept.size() ? kept : Pieces(kept, page, ordered, origin);
    const layout::PageLayout laid = layout::LayOut(ordered, options.page);
    for (std::size_t i : laid.order)
        lines.push_back(pieces[i]);
    for (std::size_t k = 0; k < laid.paragraphs.size(); ++k)
        for (std::size_t position : laid.paragraphs[k])
            lines[position].paragraph = static_cast<int>(k);
    if (options.find_tables && (kept.size() > 1 || options.tables.one_table)) {
        // A line cut in pieces stands where its first piece does.
        std::vector<std::size_t> position(kept.size(), lines.size());
        for (std::size_t at = 0; at < laid.order.size(); ++at)
            position[origin[laid.order[at]]] = std::min(position[origin[laid.order[at]]], at);
        reading.tables = Tables(page, picture, turns, angle, position, lines, options);
    }
    return reading;
}

}  // namespace ocrgated::ppocr
