#include "service/engines/ppocr/ctc_decoder.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace ocrgated::ppocr {
namespace {

// The softmax probability of row's class best, from the raw scores: only the
// steps that emit a character need it, so the network stops before its softmax.
float Probability(const float* row, int classes, int best) {
    double sum = 0;
    for (int c = 0; c < classes; ++c)
        sum += std::exp(static_cast<double>(row[c] - row[best]));
    return static_cast<float>(1.0 / sum);
}

// The model's full-width digits and Latin letters (U+FF10 to U+FF5A, three bytes each) as
// the ASCII ones they stand for: a lone figure in a cell comes back "５" as often as "5",
// and what people search and compute with is ASCII.
std::string_view HalfWidth(const std::string& text) {
    static const std::string kAscii = [] {
        std::string ascii;
        for (int c = 0; c < 128; ++c)
            ascii += static_cast<char>(c);
        return ascii;
    }();
    if (text.size() != 3 || static_cast<unsigned char>(text[0]) != 0xEF)
        return text;
    const char32_t code = (char32_t(text[0] & 0x0F) << 12) | (char32_t(text[1] & 0x3F) << 6) |
                          char32_t(text[2] & 0x3F);
    const bool alphanumeric = (code >= 0xFF10 && code <= 0xFF19) ||
                              (code >= 0xFF21 && code <= 0xFF3A) ||
                              (code >= 0xFF41 && code <= 0xFF5A);
    return alphanumeric ? std::string_view(kAscii).substr(code - 0xFEE0, 1)
                        : std::string_view(text);
}

}  // namespace

DecodedText DecodeGreedy(const float* scores, int steps, int classes,
                         const std::vector<std::string>& characters) {
    DecodedText decoded;
    int previous = 0;
    for (int t = 0; t < steps; ++t) {
        const float* row = scores + static_cast<std::ptrdiff_t>(t) * classes;
        const int best = static_cast<int>(std::max_element(row, row + classes) - row);
        const bool fires =
            best != 0 && best != previous && best < static_cast<int>(characters.size());
        previous = best;
        if (!fires)
            continue;
        const std::string_view text = HalfWidth(characters[static_cast<std::size_t>(best)]);
        // Single spaces between words only: none leading or doubled.
        if (text == " " && (decoded.text.empty() || decoded.text.back() == ' '))
            continue;
        decoded.bytes.push_back(decoded.text.size());
        decoded.text += text;
        decoded.probabilities.push_back(Probability(row, classes, best));
        decoded.steps.push_back(t);
    }
    if (!decoded.text.empty() && decoded.text.back() == ' ') {
        decoded.text.pop_back();
        decoded.probabilities.pop_back();
        decoded.steps.pop_back();
        decoded.bytes.pop_back();
    }
    return decoded;
}

}  // namespace ocrgated::ppocr
