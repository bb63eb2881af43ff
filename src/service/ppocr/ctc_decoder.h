#pragma once
// Greedy CTC decoding of the recognition network's per-step class scores.

#include <string>
#include <vector>

namespace ocrgated::ppocr {

struct DecodedText {
    std::string text;                  // UTF-8, without leading or trailing spaces
    std::vector<float> probabilities;  // one per character of text
};

// scores: steps x classes, row-major; class 0 is the blank. characters maps a
// class to its text. Repeated classes collapse unless a blank separates them.
//
// The Chinese recognition model rarely emits its space class between Latin
// words, so a space is also put between two ASCII characters whose steps lie
// unusually far apart for the line: further than 1.6 times the median step
// distance between neighbouring ASCII characters, and at least 2 steps more.
DecodedText DecodeGreedy(const float* scores, int steps, int classes,
                         const std::vector<std::string>& characters);

}  // namespace ocrgated::ppocr
