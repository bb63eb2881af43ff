#include "service/engines/ppocr/ctc_decoder.h"

#include <algorithm>

namespace ocrgated::ppocr {

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
        const std::string& text = characters[static_cast<std::size_t>(best)];
        // Single spaces between words only: none leading or doubled.
        if (text == " " && (decoded.text.empty() || decoded.text.back() == ' '))
            continue;
        decoded.bytes.push_back(decoded.text.size());
        decoded.text += text;
        decoded.probabilities.push_back(row[best]);
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
