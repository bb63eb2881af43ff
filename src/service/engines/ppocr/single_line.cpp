#include "service/engines/ppocr/single_line.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

#include "service/engines/ppocr/line_geometry.h"

namespace ocrgated::ppocr {
namespace {

TextBox BoxOf(const cv::Rect& rect) {
    const auto x0 = static_cast<float>(rect.x), y0 = static_cast<float>(rect.y);
    const auto x1 = static_cast<float>(rect.br().x), y1 = static_cast<float>(rect.br().y);
    return {{cv::Point2f(x0, y0), cv::Point2f(x1, y0), cv::Point2f(x1, y1), cv::Point2f(x0, y1)},
            1};
}

}  // namespace

cv::Rect Bounds(const TextBox& box, cv::Size picture) {
    return cv::boundingRect(std::vector<cv::Point2f>(box.corners.begin(), box.corners.end())) &
           cv::Rect(0, 0, picture.width, picture.height);
}

// A thin picture whose boxes make one line (or that shows none) is read whole: the
// detector finds the ends of a long screenshot line better than its middle.
std::optional<LineRecord> SingleLine(const cv::Mat& picture, const std::vector<TextBox>& boxes,
                                     const SingleLineOptions& options) {
    if (picture.cols < options.min_aspect * picture.rows ||
        picture.cols * 48 > options.widest_line * picture.rows)
        return std::nullopt;
    cv::Rect all;
    for (const TextBox& box : boxes)
        all |= Bounds(box, picture.size());
    for (const TextBox& box : boxes)
        if (Bounds(box, picture.size()).height < all.height * options.min_box_height_share)
            return std::nullopt;
    if (!boxes.empty() && (all.height < picture.rows * options.min_text_height_share ||
                           all.width < picture.cols * options.min_text_width_share))
        return std::nullopt;
    LineRecord line;
    line.box = BoxOf(boxes.empty() ? cv::Rect(0, 0, picture.cols, picture.rows) : all);
    // Whole along the line, but across it only the rows the boxes span and some room:
    // text in a fraction of a taller strip would shrink below what the network reads.
    cv::Mat strip = picture;
    if (!boxes.empty()) {
        const int room = std::max(2, all.height / 4);
        strip =
            picture.rowRange(std::max(0, all.y - room), std::min(picture.rows, all.br().y + room));
    }
    const int margin = std::max(2, strip.rows / 8);
    cv::copyMakeBorder(strip, line.crop, margin, margin, margin, margin, cv::BORDER_CONSTANT,
                       BorderColour(picture));
    // The crop spans the whole picture and its margins; the box only the text.
    const cv::Rect box = Bounds(line.box, picture.size());
    line.crop_from = -double(margin + box.x) / std::max(1, box.width);
    line.crop_to = double(picture.cols + margin - box.x) / std::max(1, box.width);
    return line;
}

}  // namespace ocrgated::ppocr
