#pragma once
// Greedy CTC decoding of the recognition network's per-step class scores.

#include <cstddef>
#include <string>
#include <vector>

namespace ocrgated::ppocr {

struct DecodedText {
    std::string text;                  // UTF-8, without leading or trailing spaces
    std::vector<float> probabilities;  // one per character of text
    std::vector<int> steps;            // the time step each character fired at
    std::vector<std::size_t> bytes;    // where each character starts in text
    double step_share = 0;             // the part of the line's width one time step covers
};

// scores: steps x classes, row-major, before any softmax; class 0 is the blank. characters maps a
// class to its text. Repeated classes collapse unless a blank separates them.
DecodedText DecodeGreedy(const float* scores, int steps, int classes,
                         const std::vector<std::string>& characters);

}  // namespace ocrgated::ppocr
