#include "service/engines/ppocr/vertical_text.h"

#include "base/utf.h"
#include "service/engines/ppocr/line_geometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <vector>

namespace ocrgated::ppocr {
namespace {

// Ink is whatever Otsu's threshold separates from the border's colour.
cv::Mat InkMask(const cv::Mat& column) {
    cv::Mat grey, ink;
    cv::cvtColor(column, grey, cv::COLOR_BGR2GRAY);
    const double threshold = cv::threshold(grey, ink, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    const cv::Scalar border = BorderColour(column);
    if (0.114 * border[0] + 0.587 * border[1] + 0.299 * border[2] > threshold)
        cv::bitwise_not(ink, ink);
    return ink;
}

struct Span {
    int begin, end;
};

// Runs of rows holding ink.
std::vector<Span> InkRows(const cv::Mat& ink) {
    std::vector<Span> runs;
    for (int y = 0; y < ink.rows; ++y) {
        if (cv::countNonZero(ink.row(y)) == 0)
            continue;
        if (!runs.empty() && runs.back().end == y)
            ++runs.back().end;
        else
            runs.push_back({y, y + 1});
    }
    return runs;
}

}  // namespace

cv::Mat ColumnAsLine(const cv::Mat& column, double character_span) {
    const cv::Mat ink = InkMask(column);
    std::vector<Span> rows = InkRows(ink);
    if (rows.empty())
        return column;
    // Characters are about as tall as the column's ink is wide; the strokes of one
    // character (三, 二) are merged while they stay within that height.
    int left = ink.cols, right = 0;  // the ink's extent across the column
    for (int x = 0; x < ink.cols; ++x)
        if (cv::countNonZero(ink.col(x)) > 0) {
            left = std::min(left, x);
            right = x + 1;
        }
    const int size = std::max(1, right - left);
    std::vector<Span> characters;
    for (const Span& run : rows) {
        if (!characters.empty() &&
            run.end - characters.back().begin <= size * character_span + 1e-9)
            characters.back().end = run.end;
        else
            characters.push_back(run);
    }
    // Each character keeps the column's width as its cell, set on the line's middle.
    int height = column.cols;
    for (const Span& c : characters)
        height = std::max(height, c.end - c.begin);
    cv::Mat line(height, column.cols * static_cast<int>(characters.size()), column.type(),
                 BorderColour(column));
    int x = 0;
    for (const Span& c : characters) {
        const int h = c.end - c.begin;
        column(cv::Rect(0, c.begin, column.cols, h))
            .copyTo(line(cv::Rect(x, (height - h) / 2, column.cols, h)));
        x += column.cols;
    }
    return line;
}

double CjkShare(std::string_view utf8) {
    std::size_t characters = 0, cjk = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t code = quillory::DecodeUtf8(utf8, at);
        if (code == U' ')
            continue;
        ++characters;
        cjk += quillory::IsCjk(code);
    }
    return characters ? static_cast<double>(cjk) / static_cast<double>(characters) : 0;
}

}  // namespace ocrgated::ppocr
