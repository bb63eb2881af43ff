#include "service/engines/ppocr/page_orientation.h"

#include "service/engines/ppocr/line_geometry.h"

#include <algorithm>

namespace ocrgated::ppocr {
namespace {

double Length(const LineRecord& record) {
    return std::max(record.crop.cols, 1);
}

}  // namespace

TextBox IntoReadingFrame(const TextBox& box, cv::Size size, QuarterTurns turns) {
    const float w = static_cast<float>(size.width), h = static_cast<float>(size.height);
    TextBox turned = box;
    for (auto& p : turned.corners) {
        switch (turns & 3) {
            case 1:  // turned clockwise: turn back anticlockwise
                p = {p.y, w - p.x};
                break;
            case 2:
                p = {w - p.x, h - p.y};
                break;
            case 3:
                p = {h - p.y, p.x};
                break;
            default:
                break;
        }
    }
    return turned;
}

cv::Point2f FromReadingFrame(cv::Point2f p, cv::Size size, QuarterTurns turns) {
    const float w = static_cast<float>(size.width), h = static_cast<float>(size.height);
    switch (turns & 3) {
        case 1:
            return {w - p.y, p.x};
        case 2:
            return {w - p.x, h - p.y};
        case 3:
            return {p.y, h - p.x};
        default:
            return p;
    }
}

bool MostlyUpsideDown(const std::vector<LineRecord>& records) {
    double vote = 0;
    for (const LineRecord& record : records)
        vote += Length(record) * (record.upside_down - 0.5);
    return vote > 0;
}

bool MostlyTall(const std::vector<LineRecord>& records, float tall_ratio) {
    const auto tall = std::count_if(records.begin(), records.end(),
                                    [&](const LineRecord& r) { return IsTall(r.box, tall_ratio); });
    return tall * 2 > static_cast<std::ptrdiff_t>(records.size());
}

double ReadingConfidence(const std::vector<LineRecord>& records) {
    double sum = 0, weight = 0;
    for (const LineRecord& record : records) {
        sum += Length(record) * record.confidence;
        weight += Length(record);
    }
    return weight > 0 ? sum / weight : 0;
}

}  // namespace ocrgated::ppocr
