#include "service/engines/layout/rules.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocrgated::layout {
namespace {

// A rule as its extent along its own axis and its position across it.
struct Piece {
    double start, end, at, thickness;
};

// A piece's usual thickness and where its middle runs, as medians over its length: a
// slightly skewed rule is a thin staircase however far its ends lie apart across it, and
// text set close to a rule, touching it here and there, neither thickens it nor pulls it
// aside.
std::pair<double, double> CrossSection(const cv::Mat& labels, int label, bool horizontal) {
    const int length = horizontal ? labels.cols : labels.rows;
    const int across = horizontal ? labels.rows : labels.cols;
    std::vector<double> counts, middles;
    for (int a = 0; a < length; ++a) {
        int n = 0;
        double sum = 0;
        for (int b = 0; b < across; ++b)
            if ((horizontal ? labels.at<int>(b, a) : labels.at<int>(a, b)) == label) {
                ++n;
                sum += b;
            }
        if (n > 0) {
            counts.push_back(n);
            middles.push_back(sum / n);
        }
    }
    const auto median = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    return {median(counts), median(middles)};
}

// Pieces of one axis: the ink that survives an opening with a long thin kernel. Text
// strokes are short, so only long runs of ink are left.
std::vector<Piece> Pieces(const cv::Mat& ink, bool horizontal, const RuleOptions& options) {
    // Thicker than a rule is a filled block or a picture's edge, and never part of one.
    const double thickest = std::max(2.0, std::min(ink.cols, ink.rows) * options.max_thickness);
    const int along = horizontal ? ink.cols : ink.rows;
    const int length = std::max(3, static_cast<int>(std::lround(along * options.kernel)));
    const cv::Mat kernel = cv::getStructuringElement(
        cv::MORPH_RECT, horizontal ? cv::Size(length, 1) : cv::Size(1, length));
    cv::Mat bridged = ink, opened;  // `ink` serves both axes: never written here
    if (options.bridge > 0)
        cv::morphologyEx(ink, bridged, cv::MORPH_CLOSE,
                         cv::getStructuringElement(cv::MORPH_RECT,
                                                   horizontal ? cv::Size(options.bridge + 1, 1)
                                                              : cv::Size(1, options.bridge + 1)));
    cv::morphologyEx(bridged, opened, cv::MORPH_OPEN, kernel);
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(opened, labels, stats, centroids, 8);
    std::vector<Piece> pieces;
    for (int i = 1; i < count; ++i) {
        const cv::Rect box(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                           stats.at<int>(i, cv::CC_STAT_WIDTH),
                           stats.at<int>(i, cv::CC_STAT_HEIGHT));
        // A filled block, however long, is no rule with text touching it here and there.
        if (stats.at<int>(i, cv::CC_STAT_AREA) >
            4 * thickest * (horizontal ? box.width : box.height))
            continue;
        const auto [thickness, at] = CrossSection(labels(box), i, horizontal);
        if (thickness > thickest)
            continue;
        if (horizontal)
            pieces.push_back({double(box.x), double(box.x + box.width), box.y + at, thickness});
        else
            pieces.push_back({double(box.y), double(box.y + box.height), box.x + at, thickness});
    }
    return pieces;
}

// Pieces on one line with small breaks between them (a scan's dropouts, a slight slope
// stepping a pixel) are one rule.
std::vector<Piece> Joined(std::vector<Piece> pieces, double gap) {
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& a, const Piece& b) { return a.start < b.start; });
    std::vector<Piece> rules;
    for (const Piece& piece : pieces) {
        auto same = std::find_if(rules.begin(), rules.end(), [&](const Piece& rule) {
            const double across = std::max(2.0, std::min(rule.thickness, piece.thickness));
            return std::abs(rule.at - piece.at) <= across && piece.start - rule.end <= gap;
        });
        if (same == rules.end()) {
            rules.push_back(piece);
            continue;
        }
        const double before = same->end - same->start, added = piece.end - piece.start;
        same->at = (same->at * before + piece.at * added) / (before + added);
        same->end = std::max(same->end, piece.end);
        same->thickness = std::max(same->thickness, piece.thickness);
    }
    return rules;
}

// The share of ink in the band beside the piece, `side` -1 above (left of) it, 1 below.
double InkBeside(const cv::Mat& ink, const Piece& p, bool horizontal, int side) {
    const int reach = std::max(4, int(std::lround(3 * p.thickness)));
    const int from = int(std::lround(p.at + side * (p.thickness / 2 + 2))) - (side < 0 ? reach : 0);
    cv::Rect band = horizontal ? cv::Rect(int(p.start), from, int(p.end - p.start), reach)
                               : cv::Rect(from, int(p.start), reach, int(p.end - p.start));
    band &= cv::Rect({}, ink.size());
    return band.empty() ? 0.0 : double(cv::countNonZero(ink(band))) / double(band.area());
}

// A picture's edge: a photograph's texture along one side, paper along the other. A rule
// has paper on both sides but for the text set close to it.
bool EdgeOfPicture(const cv::Mat& ink, const Piece& p, bool horizontal) {
    const double before = InkBeside(ink, p, horizontal, -1),
                 after = InkBeside(ink, p, horizontal, 1);
    return std::max(before, after) > 0.4 && std::min(before, after) < 0.1;
}

std::vector<Rule> Found(const cv::Mat& ink, bool horizontal, const RuleOptions& options) {
    const double along = horizontal ? ink.cols : ink.rows;
    std::vector<Rule> rules;
    for (const Piece& p : Joined(Pieces(ink, horizontal, options), along * options.join_gap)) {
        if (p.end - p.start < along * options.min_length ||
            (!options.picture_edges && EdgeOfPicture(ink, p, horizontal)))
            continue;
        const auto at = static_cast<float>(p.at);
        const auto start = static_cast<float>(p.start), end = static_cast<float>(p.end);
        rules.push_back(horizontal ? Rule{{start, at}, {end, at}, float(p.thickness)}
                                   : Rule{{at, start}, {at, end}, float(p.thickness)});
    }
    std::sort(rules.begin(), rules.end(), [horizontal](const Rule& a, const Rule& b) {
        return horizontal ? a.from.y < b.from.y : a.from.x < b.from.x;
    });
    return rules;
}

}  // namespace

Rules FindRules(const cv::Mat& grey, const RuleOptions& options) {
    CV_Assert(grey.type() == CV_8UC1);
    if (grey.empty())
        return {};
    // Against the local mean, so shading and photographed pages keep their faint rules.
    cv::Mat ink;
    const int window = std::max(3, options.window | 1);
    cv::adaptiveThreshold(grey, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, window,
                          options.contrast);
    return {Found(ink, true, options), Found(ink, false, options)};
}

}  // namespace ocrgated::layout
