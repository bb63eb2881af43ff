#pragma once
// One line the engine read: its text, where it stands and how sure the engine was.

#include <string>

namespace ocrgated {

struct RecognizedLine {
    std::string words;  // UTF-8
    int left = 0, top = 0, width = 0, height = 0;
    double average = 0.0;   // per-character confidence, 0..1
    double min = 0.0;
    double variance = 0.0;
    int paragraph = -1;  // the paragraph it belongs to, counted in reading order; -1 unknown
};

}  // namespace ocrgated
