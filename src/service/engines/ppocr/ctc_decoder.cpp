#include "service/engines/ppocr/ctc_decoder.h"

#include <algorithm>
#include <cmath>

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
        const std::string& text = characters[static_cast<std::size_t>(best)];
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
