#include "service/engines/ppocr/page_pieces.h"

#include "service/engines/ppocr/line_geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace ocrgated::ppocr {
namespace {

// Blanks inside a line narrower than this share of its height are spaces between words.
constexpr double kLeastGap = 0.4;

}  // namespace

void BoundByInk(layout::Page& page, const std::vector<RecognizedLine>& lines,
                const cv::Mat& picture) {
    cv::Mat grey = picture;
    if (picture.channels() > 1)
        cv::cvtColor(picture, grey,
                     picture.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const RecognizedLine& line = lines[i];
        const auto runs = InkRuns(grey, {line.left, line.top, line.width, line.height},
                                  std::max(2, int(kLeastGap * line.height)));
        if (runs.empty())
            continue;
        layout::TextLine& laid = page.lines[i];
        for (std::size_t k = 1; k < runs.size(); ++k)
            laid.gaps.emplace_back(laid.box.x + float(runs[k - 1].second),
                                   laid.box.x + float(runs[k].first));
        laid.box.x += float(runs.front().first);
        laid.box.width = float(runs.back().second - runs.front().first);
    }
}

std::vector<RecognizedLine> Pieces(const std::vector<RecognizedLine>& lines,
                                   const layout::Page& whole, const layout::Page& split,
                                   const std::vector<std::size_t>& origin) {
    std::vector<RecognizedLine> pieces;
    for (std::size_t j = 0; j < split.lines.size(); ++j) {
        const RecognizedLine& line = lines[origin[j]];
        RecognizedLine piece = line;
        piece.words = split.lines[j].text;
        const auto& glyphs = whole.lines[origin[j]].glyphs;
        const auto& own = split.lines[j].glyphs;
        const auto first =
            own.empty() ? glyphs.end() : std::find(glyphs.begin(), glyphs.end(), own.front());
        if (first != glyphs.end() && own.size() <= std::size_t(glyphs.end() - first)) {
            const auto at = first - glyphs.begin();
            piece.characters.assign(line.characters.begin() + at,
                                    line.characters.begin() + at + std::ptrdiff_t(own.size()));
            cv::Rect bounds;
            for (const PlacedCharacter& c : piece.characters)
                bounds |= cv::Rect(c.left, c.top, c.width, c.height);
            piece.left = bounds.x;
            piece.top = bounds.y;
            piece.width = bounds.width;
            piece.height = bounds.height;
            const std::vector<PicturePoint> square{{bounds.x, bounds.y},
                                                   {bounds.br().x - 1, bounds.y},
                                                   {bounds.br().x - 1, bounds.br().y - 1},
                                                   {bounds.x, bounds.br().y - 1}};
            // The corner the line's reading starts at: the square's nearest to its first.
            std::size_t start = 0;
            if (!line.corners.empty()) {
                const cv::Point2f centre(line.left + line.width / 2.f,
                                         line.top + line.height / 2.f);
                const cv::Point2f from(float(line.corners[0].x) - centre.x,
                                       float(line.corners[0].y) - centre.y);
                start = from.y < 0 ? (from.x < 0 ? 0 : 1) : (from.x < 0 ? 3 : 2);
            }
            piece.corners.clear();
            for (std::size_t k = 0; k < 4; ++k)
                piece.corners.push_back(square[(start + k) % 4]);
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

}  // namespace ocrgated::ppocr
