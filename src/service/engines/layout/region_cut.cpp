#include "service/engines/layout/region_cut.h"

#include "service/engines/layout/gutter.h"
#include "service/engines/layout/text_rows.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace ocrgated::layout {
namespace {

// Boxes between two blank bands running right across the block.
struct Strip {
    std::vector<std::size_t> boxes;
    double top, bottom;
};

// A run of strips [first, last] that a gutter runs down.
struct Run {
    std::size_t first, last;
    Gap gap;
    std::size_t boxes;
};

std::vector<Gap> Intersect(const std::vector<Gap>& a, const std::vector<Gap>& b) {
    std::vector<Gap> both;
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        const double from = std::max(a[i].from, b[j].from), to = std::min(a[i].to, b[j].to);
        if (to > from)
            both.push_back({from, to});
        (a[i].to < b[j].to ? i : j) += 1;
    }
    return both;
}

class Cutter {
  public:
    Cutter(const Frame& frame, const RegionOptions& options) : frame_(frame), options_(options) {
        across_lines_ =
            std::any_of(frame.boxes.begin(), frame.boxes.end(), [&](const cv::Rect2d& box) {
                return box.height >= options.across_ratio * std::max(box.width, frame.unit);
            });
    }

    void Cut(std::vector<std::size_t> block) {
        if (block.size() <= 1) {
            if (!block.empty())
                regions.push_back(std::move(block));
            return;
        }
        const std::vector<Strip> strips = Strips(std::move(block));
        std::vector<std::size_t> all;
        for (const Strip& strip : strips)
            all.insert(all.end(), strip.boxes.begin(), strip.boxes.end());

        const std::pair<double, double> extent = Extent(all);

        // A rule under a header or over a footer, or a wide blank band, ends a region.
        std::vector<std::size_t> ends;
        for (std::size_t k = 0; k + 1 < strips.size(); ++k)
            if (Break(strips[k], strips[k + 1], extent, all))
                ends.push_back(k + 1);
        if (!ends.empty()) {
            ends.push_back(strips.size());
            std::size_t from = 0;
            for (std::size_t end : ends) {
                Cut(Gather(strips, from, end));
                from = end;
            }
            return;
        }
        std::optional<Run> run = LongestRun(strips, extent);
        if (run)
            Trim(strips, *run);
        if (!run) {
            regions.push_back(std::move(all));
        } else if (run->first == 0 && run->last + 1 == strips.size()) {
            std::vector<std::size_t> left, right;
            for (std::size_t i : all)
                (frame_.boxes[i].x < run->gap.from ? left : right).push_back(i);
            Cut(std::move(left));
            Cut(std::move(right));
        } else {
            // Columns under a heading or over a footer: the bands above and below go apart.
            Cut(Gather(strips, 0, run->first));
            Cut(Gather(strips, run->first, run->last + 1));
            Cut(Gather(strips, run->last + 1, strips.size()));
        }
    }

    std::vector<std::vector<std::size_t>> regions;

  private:
    std::vector<Strip> Strips(std::vector<std::size_t> block) const {
        std::sort(block.begin(), block.end(), [&](std::size_t a, std::size_t b) {
            return frame_.boxes[a].y < frame_.boxes[b].y;
        });
        std::vector<Strip> strips;
        for (std::size_t i : block) {
            const cv::Rect2d& box = frame_.boxes[i];
            if (strips.empty() || box.y >= strips.back().bottom)
                strips.push_back({{}, box.y, box.br().y});
            strips.back().boxes.push_back(i);
            strips.back().bottom = std::max(strips.back().bottom, box.br().y);
        }
        return strips;
    }

    static std::vector<std::size_t> Gather(const std::vector<Strip>& strips, std::size_t from,
                                           std::size_t to) {
        std::vector<std::size_t> boxes;
        for (std::size_t k = from; k < to; ++k)
            boxes.insert(boxes.end(), strips[k].boxes.begin(), strips[k].boxes.end());
        return boxes;
    }

    // A line at the top or bottom of a run with nothing across the gutter from it, reaching
    // far into the gutter that the lines beside each other leave: a heading set off centre
    // over the columns, or a footer, not part of either column.
    void Trim(const std::vector<Strip>& strips, Run& run) const {
        struct Ink {
            double left = -1e300, right = 1e300;  // nearest ink either side of the gutter
        };
        std::vector<Ink> ink;
        Gap shared{-1e300, 1e300};
        for (std::size_t k = run.first; k <= run.last; ++k) {
            Ink& at = ink.emplace_back();
            for (std::size_t i : strips[k].boxes) {
                const cv::Rect2d& box = frame_.boxes[i];
                if (box.x < run.gap.from)
                    at.left = std::max(at.left, box.br().x);
                else
                    at.right = std::min(at.right, box.x);
            }
            if (at.left > -1e300 && at.right < 1e300)
                shared = {std::max(shared.from, at.left), std::min(shared.to, at.right)};
        }
        if (shared.from <= -1e300 || shared.to <= shared.from)
            return;
        const double reach = options_.gutter_intrusion * (shared.to - shared.from);
        const auto intrudes = [&](const Ink& at) {
            return (at.right >= 1e300 && at.left - shared.from > reach) ||
                   (at.left <= -1e300 && shared.to - at.right > reach);
        };
        std::size_t first = 0, last = ink.size() - 1;
        while (first < last && intrudes(ink[first]))
            ++first;
        while (last > first && intrudes(ink[last]))
            --last;
        run.last = run.first + last;
        run.first += first;
    }

    // Left and right edges of a block.
    std::pair<double, double> Extent(const std::vector<std::size_t>& block) const {
        double left = 1e300, right = -1e300;
        for (std::size_t i : block) {
            left = std::min(left, frame_.boxes[i].x);
            right = std::max(right, frame_.boxes[i].br().x);
        }
        return {left, right};
    }

    // Both strips stand in one column of the block, with boxes of the block wholly to one
    // side of them: a column beside a figure (whose ink has no boxes) or beside a column that
    // ends early. A blank band there parts that column's paragraphs, not the page.
    bool InOneColumn(const Strip& above, const Strip& below,
                     const std::vector<std::size_t>& block) const {
        const auto [left, right] = Extent(Gather({above, below}, 0, 2));
        const double gutter = options_.min_gutter * frame_.unit;
        return std::any_of(block.begin(), block.end(), [&](std::size_t i) {
            return frame_.boxes[i].br().x <= left - gutter || frame_.boxes[i].x >= right + gutter;
        });
    }

    bool Break(const Strip& above, const Strip& below, std::pair<double, double> extent,
               const std::vector<std::size_t>& block) const {
        if (below.top - above.bottom >= options_.wide_gap * frame_.unit &&
            !InOneColumn(above, below, block))
            return true;
        const auto [left, right] = extent;
        const double slack = options_.rule_slack * frame_.unit;
        return std::any_of(frame_.along.begin(), frame_.along.end(), [&](const Rule& rule) {
            const double y = (rule.from.y + rule.to.y) / 2;
            const double reach =
                std::min<double>(rule.to.x, right) - std::max<double>(rule.from.x, left);
            return y >= above.bottom - slack && y <= below.top + slack &&
                   reach >= options_.rule_reach * (right - left);
        });
    }

    // Blank stretches of a strip across the block's whole width, margins included: a
    // strip with text in one column only leaves the other column's place blank.
    std::vector<Gap> Blank(const Strip& strip, double left, double right) const {
        std::vector<std::size_t> boxes = strip.boxes;
        std::sort(boxes.begin(), boxes.end(), [&](std::size_t a, std::size_t b) {
            return frame_.boxes[a].x < frame_.boxes[b].x;
        });
        std::vector<Gap> blank;
        double at = left;
        for (std::size_t i : boxes) {
            if (frame_.boxes[i].x > at)
                blank.push_back({at, frame_.boxes[i].x});
            at = std::max(at, frame_.boxes[i].br().x);
        }
        if (right > at)
            blank.push_back({at, right});
        return blank;
    }

    // Too narrow for a gutter, and neither a rule nor a line across the others beside it.
    bool Hopeless(const Gap& gap) const {
        if (gap.to - gap.from >= options_.min_gutter * frame_.unit || across_lines_)
            return false;
        const double slack = options_.rule_slack * frame_.unit;
        return std::none_of(frame_.across.begin(), frame_.across.end(), [&](const Rule& rule) {
            return rule.from.x >= gap.from - slack && rule.from.x <= gap.to + slack;
        });
    }

    // The run of strips holding the most boxes that a gutter runs down. Each blank band is
    // judged once from each strip it starts at, with all the strips it reaches down to.
    std::optional<Run> LongestRun(const std::vector<Strip>& strips,
                                  std::pair<double, double> extent) const {
        std::vector<std::vector<Gap>> blanks;
        std::vector<std::vector<Row>> rows;
        for (const Strip& strip : strips) {
            blanks.push_back(Blank(strip, extent.first, extent.second));
            rows.push_back(Rows(frame_.boxes, strip.boxes));
        }
        std::optional<Run> best;
        for (std::size_t first = 0; first < strips.size(); ++first) {
            std::vector<Gap> blank = blanks[first];
            std::vector<Row> run;
            std::size_t boxes = 0;
            double left = 1e300, right = -1e300;
            for (std::size_t last = first; !blank.empty(); ++last) {
                run.insert(run.end(), rows[last].begin(), rows[last].end());
                boxes += strips[last].boxes.size();
                const auto [strip_left, strip_right] = Extent(strips[last].boxes);
                left = std::min(left, strip_left);
                right = std::max(right, strip_right);
                const bool end = last + 1 == strips.size();
                const std::vector<Gap> next =
                    end ? std::vector<Gap>{} : Intersect(blank, blanks[last + 1]);
                std::optional<Gap> widest;
                for (const Gap& gap : blank) {
                    // Narrowed below a gutter's width (a page number set in it), it ends here.
                    const bool reaches_on =
                        std::any_of(next.begin(), next.end(), [&](const Gap& g) {
                            return g.from >= gap.from && g.to <= gap.to && !Hopeless(g);
                        });
                    if (!reaches_on && (!best || boxes > best->boxes) && gap.from > left &&
                        gap.to < right && !Hopeless(gap) &&
                        (!widest || gap.to - gap.from > widest->to - widest->from) &&
                        SeparatesColumns(frame_, run, gap, options_))
                        widest = gap;
                }
                if (widest)
                    best = Run{first, last, *widest, boxes};
                blank = next;
            }
        }
        return best;
    }

    const Frame& frame_;
    const RegionOptions& options_;
    bool across_lines_ = false;  // some box runs across the lines
};

}  // namespace

std::vector<std::vector<std::size_t>> CutRegions(const Frame& frame, const RegionOptions& options) {
    Cutter cutter(frame, options);
    std::vector<std::size_t> all(frame.boxes.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    cutter.Cut(std::move(all));
    return std::move(cutter.regions);
}

}  // namespace ocrgated::layout
