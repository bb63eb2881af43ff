#include "service/engines/ppocr/word_spaces.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <string_view>

namespace ocrgated::ppocr {
namespace {

// The character at k when it is one byte (ASCII), else 0; 0 past either end.
char Ascii(const DecodedText& decoded, std::size_t k) {
    if (k >= decoded.bytes.size())
        return 0;
    const std::size_t end =
        k + 1 < decoded.bytes.size() ? decoded.bytes[k + 1] : decoded.text.size();
    return end - decoded.bytes[k] == 1 ? decoded.text[decoded.bytes[k]] : 0;
}

bool IsAsciiGlyph(const DecodedText& decoded, std::size_t i) {
    const auto c = static_cast<unsigned char>(Ascii(decoded, i));
    return c > ' ' && c < 0x7F;
}

// Glyphs whose ink is a thin stroke in a wider advance: the blank beside them is their
// own side bearing as much as any gap ("46.10", "Recall", "Item").
bool IsNarrowGlyph(const DecodedText& decoded, std::size_t i) {
    return IsAsciiGlyph(decoded, i) &&
           std::string_view("iIl1.,:;!|'").find(Ascii(decoded, i)) != std::string_view::npos;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsPoint(char c) {
    return c == '.';
}

// Whether characters a and b (a before b) meet at a decimal point between figures ("2.33").
// In a monospaced face the point stands alone in a full advance, and a space beside it is
// not meant. (A comma is: "1, 2, 3".)
bool AtPoint(const DecodedText& decoded, std::size_t a, std::size_t b) {
    const auto c = [&](std::size_t k) { return Ascii(decoded, k); };
    return (IsPoint(c(a)) && IsDigit(c(a - 1)) && IsDigit(c(b))) ||
           (IsPoint(c(b)) && IsDigit(c(a)) && IsDigit(c(b + 1)));
}

// The model's own space beside a point within a number ("4. 0" read from "4.0").
void DropSpacesAtPoints(DecodedText& decoded) {
    DecodedText kept;
    for (std::size_t i = 0; i < decoded.bytes.size(); ++i) {
        if (Ascii(decoded, i) == ' ' && i > 0 && AtPoint(decoded, i - 1, i + 1))
            continue;
        const std::size_t end =
            i + 1 < decoded.bytes.size() ? decoded.bytes[i + 1] : decoded.text.size();
        kept.bytes.push_back(kept.text.size());
        kept.text += decoded.text.substr(decoded.bytes[i], end - decoded.bytes[i]);
        kept.probabilities.push_back(decoded.probabilities[i]);
        kept.steps.push_back(decoded.steps[i]);
    }
    decoded = std::move(kept);
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
    DropSpacesAtPoints(decoded);
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
        // Figures are set on even advances: only a wide blank parts two of them.
        const bool figures =
            i > 0 && IsDigit(Ascii(decoded, i - 1)) && IsDigit(Ascii(decoded, i));
        // A 1 is a thin stem in a figure's full advance ("11,000").
        const int needed = figures && narrow ? std::max(threshold * 2, line.rows * 2 / 5)
                           : figures         ? std::max(threshold * 3 / 2, line.rows / 4)
                           : narrow          ? threshold * 3 / 2
                                             : threshold;
        if (gaps[i] >= 0 && gaps[i] >= needed && !(i > 0 && AtPoint(decoded, i - 1, i))) {
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
