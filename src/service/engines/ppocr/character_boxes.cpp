#include "service/engines/ppocr/character_boxes.h"

#include "service/engines/ppocr/single_line.h"

#include <algorithm>

namespace ocrgated::ppocr {
namespace {

cv::Point2f Between(cv::Point2f from, cv::Point2f to, double share) {
    return from + (to - from) * static_cast<float>(share);
}

}  // namespace

std::vector<std::pair<double, double>> CharacterExtents(const std::vector<int>& steps,
                                                        double step_share) {
    std::vector<std::pair<double, double>> extents;
    if (steps.size() == 1)
        extents.emplace_back(0.0, 1.0);
    if (steps.size() <= 1 || step_share <= 0)
        return extents;
    const auto centre = [&](std::size_t i) { return (steps[i] + 0.5) * step_share; };
    const std::size_t last = steps.size() - 1;
    for (std::size_t i = 0; i <= last; ++i) {
        const double before =
            i > 0 ? (centre(i - 1) + centre(i)) / 2 : 2 * centre(0) - (centre(0) + centre(1)) / 2;
        const double after = i < last ? (centre(i) + centre(i + 1)) / 2
                                      : 2 * centre(last) - (centre(last - 1) + centre(last)) / 2;
        extents.emplace_back(std::clamp(before, 0.0, 1.0), std::clamp(after, 0.0, 1.0));
    }
    return extents;
}

std::vector<PlacedCharacter> PlaceCharacters(const LineRecord& record, cv::Size picture) {
    const DecodedText& text = record.text;
    std::vector<std::size_t> kept;  // the characters that are not spaces
    std::vector<int> steps;
    for (std::size_t i = 0; i < text.bytes.size() && i < text.steps.size(); ++i) {
        if (text.text[text.bytes[i]] != ' ') {
            kept.push_back(i);
            steps.push_back(text.steps[i]);
        }
    }
    // The box's corners as read: from `a` along to `b` at the top of the characters, `d`
    // to `c` at their foot. Detection gives them clockwise from the picture's top left.
    const std::size_t first = (record.runs_down ? 1 : 0) + (record.turned ? 2 : 0);
    const auto& corners = record.box.corners;
    const cv::Point2f a = corners[first % 4], b = corners[(first + 1) % 4],
                      c = corners[(first + 2) % 4], d = corners[(first + 3) % 4];
    const auto extents = CharacterExtents(steps, text.step_share);
    std::vector<PlacedCharacter> placed;
    // The crop's reach is measured from the box's start as it lies; turned, the crop
    // starts from the other end.
    const double start = record.turned ? 1 - record.crop_to : record.crop_from;
    const double end = record.turned ? 1 - record.crop_from : record.crop_to;
    const auto along = [&](double share) {
        return std::clamp(start + share * (end - start), 0.0, 1.0);
    };
    for (std::size_t k = 0; k < extents.size(); ++k) {
        const double from = along(extents[k].first), to = along(extents[k].second);
        const TextBox cell{
            {Between(a, b, from), Between(a, b, to), Between(d, c, to), Between(d, c, from)}};
        const cv::Rect bounds = Bounds(cell, picture);
        const std::size_t i = kept[k];
        const std::size_t end = i + 1 < text.bytes.size() ? text.bytes[i + 1] : text.text.size();
        placed.push_back({text.text.substr(text.bytes[i], end - text.bytes[i]), bounds.x, bounds.y,
                          bounds.width, bounds.height});
    }
    return placed;
}

}  // namespace ocrgated::ppocr
