#include "service/engines/ppocr/word_spaces.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <string_view>

namespace ocrgated::ppocr {
namespace {

bool IsAsciiGlyph(const DecodedText& decoded, std::size_t i) {
    const std::size_t end =
        i + 1 < decoded.bytes.size() ? decoded.bytes[i + 1] : decoded.text.size();
    if (end - decoded.bytes[i] != 1)
        return false;
    const auto c = static_cast<unsigned char>(decoded.text[decoded.bytes[i]]);
    return c > ' ' && c < 0x7F;
}

// Glyphs whose ink is a thin stroke in a wider advance: the blank beside them is their
// own side bearing as much as any gap ("46.10", "Recall", "Item").
bool IsNarrowGlyph(const DecodedText& decoded, std::size_t i) {
    return IsAsciiGlyph(decoded, i) &&
           std::string_view("iIl1.,:;!|'").find(decoded.text[decoded.bytes[i]]) !=
               std::string_view::npos;
}

// Per column: does it hold ink? Ink is whatever Otsu's threshold separates
// from the colour along the top and bottom rows, so light-on-dark works too.
std::vector<bool> InkColumns(const cv::Mat& line) {
    cv::Mat grey, binary;
    cv::cvtColor(line, grey, cv::COLOR_BGR2GRAY);
    cv::threshold(grey, binary, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    const double border =
        (cv::mean(binary.row(0))[0] + cv::mean(binary.row(binary.rows - 1))[0]) / 2;
    if (border > 127)
        cv::bitwise_not(binary, binary);
    std::vector<bool> ink(static_cast<std::size_t>(binary.cols));
    for (int x = 0; x < binary.cols; ++x)
        ink[static_cast<std::size_t>(x)] = cv::countNonZero(binary.col(x)) >= 2;
    return ink;
}

int WidestGap(const std::vector<bool>& ink, int from, int to) {
    from = std::clamp(from, 0, static_cast<int>(ink.size()));
    to = std::clamp(to, 0, static_cast<int>(ink.size()));
    int widest = 0, run = 0;
    for (int x = from; x < to; ++x) {
        run = ink[static_cast<std::size_t>(x)] ? 0 : run + 1;
        widest = std::max(widest, run);
    }
    return widest;
}

}  // namespace

void RestoreWordSpaces(DecodedText& decoded, const cv::Mat& line, int step_width) {
    const std::size_t count = decoded.bytes.size();
    if (count < 2 || line.empty())
        return;
    const std::vector<bool> ink = InkColumns(line);
    std::vector<int> gaps(count, -1);  // before character i, between ASCII glyphs
    std::vector<int> measured;
    for (std::size_t i = 1; i < count; ++i) {
        if (!IsAsciiGlyph(decoded, i - 1) || !IsAsciiGlyph(decoded, i))
            continue;
        gaps[i] =
            WidestGap(ink, decoded.steps[i - 1] * step_width, (decoded.steps[i] + 1) * step_width);
        measured.push_back(gaps[i]);
    }
    if (measured.empty())
        return;
    // Letter spacing varies with the font and with how tightly the line was
    // cut, so a word gap is judged against the line's own letter gaps.
    int threshold = line.rows / 4;
    if (measured.size() >= 3) {
        std::nth_element(measured.begin(),
                         measured.begin() + static_cast<std::ptrdiff_t>(measured.size() / 2),
                         measured.end());
        threshold = std::max(measured[measured.size() / 2] * 9 / 5 + 1, line.rows * 3 / 20);
    }

    DecodedText spaced;
    for (std::size_t i = 0; i < count; ++i) {
        const bool narrow = i > 0 && (IsNarrowGlyph(decoded, i - 1) || IsNarrowGlyph(decoded, i));
        if (gaps[i] >= 0 && gaps[i] >= (narrow ? threshold * 3 / 2 : threshold)) {
            spaced.bytes.push_back(spaced.text.size());
            spaced.text += ' ';
            spaced.probabilities.push_back(decoded.probabilities[i]);
            spaced.steps.push_back(decoded.steps[i]);
        }
        const std::size_t end = i + 1 < count ? decoded.bytes[i + 1] : decoded.text.size();
        spaced.bytes.push_back(spaced.text.size());
        spaced.text += decoded.text.substr(decoded.bytes[i], end - decoded.bytes[i]);
        spaced.probabilities.push_back(decoded.probabilities[i]);
        spaced.steps.push_back(decoded.steps[i]);
    }
    decoded = std::move(spaced);
}

}  // namespace ocrgated::ppocr
