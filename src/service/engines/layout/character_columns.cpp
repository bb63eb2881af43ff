#include "service/engines/layout/character_columns.h"

#include "service/engines/layout/page_layout.h"
#include "service/engines/layout/text_rows.h"

#include <algorithm>
#include <limits>

namespace ocrgated::layout {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
constexpr double kFar = std::numeric_limits<double>::infinity();

double Side(const cv::Rect2d& box) {
    return std::max(box.width, box.height);
}
double Ratio(double a, double b) {
    return std::max(a, b) / std::max(1e-6, std::min(a, b));
}

class Columns {
  public:
    Columns(const std::vector<cv::Rect2f>& boxes, const CharacterOptions& options)
        : options_(options) {
        for (const cv::Rect2f& box : boxes)
            boxes_.emplace_back(box);
        std::vector<double> sides;
        for (const cv::Rect2d& box : boxes_)
            if (Square(box))
                sides.push_back(Side(box));
        if (sides.empty())
            return;
        std::nth_element(sides.begin(), sides.begin() + std::ptrdiff_t(sides.size() / 2),
                         sides.end());
        size_ = sides[sides.size() / 2];
    }

    // Chains of characters, each top to bottom.
    std::vector<std::vector<std::size_t>> Find() const {
        const std::size_t n = boxes_.size();
        std::vector<bool> upright(n, false);
        for (std::size_t i = 0; i < n; ++i)
            upright[i] = Square(boxes_[i]) && Upright(i);
        // Each character's nearest upright neighbour below; a character claimed twice
        // goes to the closer one above.
        std::vector<std::size_t> next(n, kNone), previous(n, kNone);
        std::vector<double> gap_to_next(n, kFar);
        for (std::size_t i = 0; i < n; ++i) {
            if (!upright[i])
                continue;
            for (std::size_t j = 0; j < n; ++j) {
                const double gap = boxes_[j].y - boxes_[i].br().y;
                if (j != i && upright[j] && boxes_[j].y > boxes_[i].y && Aligned(i, j, true) &&
                    gap <= options_.max_gap * size_ && gap < gap_to_next[i]) {
                    next[i] = j;
                    gap_to_next[i] = gap;
                }
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = next[i];
            if (j == kNone)
                continue;
            if (previous[j] == kNone || gap_to_next[previous[j]] > gap_to_next[i]) {
                if (previous[j] != kNone)
                    next[previous[j]] = kNone;
                previous[j] = i;
            } else {
                next[i] = kNone;
            }
        }
        std::vector<std::vector<std::size_t>> chains;
        for (std::size_t i = 0; i < n; ++i) {
            if (!upright[i] || previous[i] != kNone)
                continue;
            std::vector<std::size_t> chain;
            for (std::size_t at = i; at != kNone; at = next[at])
                chain.push_back(at);
            for (std::vector<std::size_t>& piece : AtPitchBreaks(chain))
                if (piece.size() >= 2)
                    chains.push_back(std::move(piece));
        }
        return chains;
    }

    const std::vector<cv::Rect2d>& boxes() const { return boxes_; }
    double size() const { return size_; }

  private:
    bool Square(const cv::Rect2d& box) const {
        return Ratio(box.width, box.height) <= options_.squareness;
    }

    // Centres on one vertical (or horizontal) line, sizes alike.
    bool Aligned(std::size_t i, std::size_t j, bool vertically) const {
        const cv::Rect2d &a = boxes_[i], &b = boxes_[j];
        const double offset = vertically ? (a.x + a.width / 2) - (b.x + b.width / 2)
                                         : (a.y + a.height / 2) - (b.y + b.height / 2);
        return std::abs(offset) <= options_.max_offset * size_ &&
               Ratio(Side(a), Side(b)) <= options_.size_ratio && Square(b);
    }

    // Closer to the characters above and below than to those beside it.
    bool Upright(std::size_t i) const {
        double vertical = kFar, horizontal = kFar;
        const cv::Rect2d& a = boxes_[i];
        for (std::size_t j = 0; j < boxes_.size(); ++j) {
            if (j == i)
                continue;
            const cv::Rect2d& b = boxes_[j];
            const double down = std::max(a.y, b.y) - std::min(a.br().y, b.br().y);
            const double across = std::max(a.x, b.x) - std::min(a.br().x, b.br().x);
            if (Aligned(i, j, true))
                vertical = std::min(vertical, down);
            if (Aligned(i, j, false))
                horizontal = std::min(horizontal, across);
        }
        if (horizontal > options_.max_spacing * size_)
            horizontal = kFar;
        // Set as clearly closer down than across: a grid spaced alike both ways is rows.
        return vertical <= options_.max_gap * size_ &&
               vertical + size_ < options_.max_pitch * (horizontal + size_);
    }

    // A column ends where the step to the next character is much longer than its usual one.
    std::vector<std::vector<std::size_t>> AtPitchBreaks(
        const std::vector<std::size_t>& chain) const {
        std::vector<double> steps;
        for (std::size_t k = 1; k < chain.size(); ++k)
            steps.push_back(boxes_[chain[k]].y - boxes_[chain[k - 1]].y);
        std::vector<std::vector<std::size_t>> pieces{{}};
        if (steps.empty()) {
            pieces.back() = chain;
            return pieces;
        }
        std::vector<double> sorted = steps;
        std::sort(sorted.begin(), sorted.end());
        const double usual = sorted[(sorted.size() - 1) / 2];
        for (std::size_t k = 0; k < chain.size(); ++k) {
            if (k > 0 && steps[k - 1] > options_.pitch_break * usual)
                pieces.emplace_back();
            pieces.back().push_back(chain[k]);
        }
        return pieces;
    }

    std::vector<cv::Rect2d> boxes_;
    const CharacterOptions& options_;
    double size_ = 0;
};

}  // namespace

std::vector<std::vector<std::size_t>> GroupCharacterColumns(const std::vector<cv::Rect2f>& boxes,
                                                            const LayoutOptions& options) {
    const Columns finder(boxes, options.characters);
    std::vector<std::vector<std::size_t>> groups =
        finder.size() > 0 ? finder.Find() : std::vector<std::vector<std::size_t>>{};
    const std::size_t columns = groups.size();
    std::vector<bool> taken(boxes.size(), false);
    for (const auto& group : groups)
        for (std::size_t i : group)
            taken[i] = true;
    // Punctuation and small marks inside a column's span belong to it.
    std::vector<std::size_t> rest;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (taken[i])
            continue;
        const cv::Rect2d& box = finder.boxes()[i];
        const cv::Point2d centre(box.x + box.width / 2, box.y + box.height / 2);
        bool placed = false;
        for (std::size_t c = 0; c < columns && !placed; ++c) {
            cv::Rect2d span = finder.boxes()[groups[c].front()];
            for (std::size_t k : groups[c])
                span |= finder.boxes()[k];
            if (centre.x >= span.x && centre.x <= span.br().x && centre.y >= span.y &&
                centre.y <= span.br().y) {
                groups[c].push_back(i);
                std::stable_sort(groups[c].begin(), groups[c].end(), [&](auto a, auto b) {
                    return finder.boxes()[a].y < finder.boxes()[b].y;
                });
                placed = true;
            }
        }
        if (!placed)
            rest.push_back(i);
    }
    for (Row& row : Rows(finder.boxes(), rest))
        groups.push_back(std::move(row));
    if (columns == 0)
        return groups;

    // Order columns and lines together as a vertical page, each group as one box.
    Page page;
    page.vertical = true;
    for (const auto& group : groups) {
        cv::Rect2f span = boxes[group.front()];
        for (std::size_t i : group)
            span |= boxes[i];
        page.lines.push_back({span, {}, {}, {}});
    }
    std::vector<std::vector<std::size_t>> ordered;
    for (std::size_t g : LayOut(page, options).order)
        ordered.push_back(std::move(groups[g]));
    return ordered;
}

}  // namespace ocrgated::layout
