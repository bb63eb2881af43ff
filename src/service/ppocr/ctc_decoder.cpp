#include "service/ppocr/ctc_decoder.h"

#include <algorithm>
#include <cstddef>

namespace ocrgated::ppocr {
namespace {

struct Emitted {
    const std::string* text;
    float probability;
    int step;
};

bool IsSpace(const Emitted& e) { return *e.text == " "; }
bool IsAsciiGlyph(const Emitted& e) {
    return e.text->size() == 1 && static_cast<unsigned char>((*e.text)[0]) > ' ' &&
           static_cast<unsigned char>((*e.text)[0]) < 0x7F;
}

// Median distance between neighbouring ASCII glyphs; 0 when there are none.
int TypicalAsciiDistance(const std::vector<Emitted>& emitted) {
    std::vector<int> distances;
    for (std::size_t i = 1; i < emitted.size(); ++i)
        if (IsAsciiGlyph(emitted[i - 1]) && IsAsciiGlyph(emitted[i]))
            distances.push_back(emitted[i].step - emitted[i - 1].step);
    if (distances.size() < 2) return 0;
    std::nth_element(distances.begin(), distances.begin() + static_cast<std::ptrdiff_t>(distances.size() / 2),
                     distances.end());
    return distances[distances.size() / 2];
}

}  // namespace

DecodedText DecodeGreedy(const float* scores, int steps, int classes,
                         const std::vector<std::string>& characters) {
    static const std::string kSpace = " ";
    std::vector<Emitted> emitted;
    int previous = 0;
    for (int t = 0; t < steps; ++t) {
        const float* row = scores + static_cast<std::ptrdiff_t>(t) * classes;
        const int best = static_cast<int>(std::max_element(row, row + classes) - row);
        if (best != 0 && best != previous && best < static_cast<int>(characters.size()))
            emitted.push_back({&characters[static_cast<std::size_t>(best)], row[best], t});
        previous = best;
    }

    const int typical = TypicalAsciiDistance(emitted);
    std::vector<Emitted> spaced;
    for (std::size_t i = 0; i < emitted.size(); ++i) {
        if (typical > 0 && i > 0 && IsAsciiGlyph(emitted[i - 1]) && IsAsciiGlyph(emitted[i])) {
            const int distance = emitted[i].step - emitted[i - 1].step;
            if (distance * 10 > typical * 16 && distance >= typical + 2)
                spaced.push_back({&kSpace, emitted[i].probability, emitted[i].step});
        }
        spaced.push_back(emitted[i]);
    }

    DecodedText decoded;
    for (const auto& e : spaced) {
        // Single spaces between words only: none leading, trailing or doubled.
        if (IsSpace(e) && (decoded.text.empty() || decoded.text.back() == ' ')) continue;
        decoded.text += *e.text;
        decoded.probabilities.push_back(e.probability);
    }
    if (!decoded.text.empty() && decoded.text.back() == ' ') {
        decoded.text.pop_back();
        decoded.probabilities.pop_back();
    }
    return decoded;
}

}  // namespace ocrgated::ppocr
