#pragma once
// One line the engine read: its text, where it stands and how sure the engine was.

#include <string>
#include <vector>

namespace ocrgated {

struct PicturePoint {
    int x = 0, y = 0;
};

// One character of a line and the upright rectangle around it.
struct PlacedCharacter {
    std::string text;  // UTF-8, one character as the engine read it
    int left = 0, top = 0, width = 0, height = 0;
};

struct RecognizedLine {
    std::string words;  // UTF-8
    int left = 0, top = 0, width = 0, height = 0;
    double average = 0.0;   // per-character confidence, 0..1
    double min = 0.0;
    double variance = 0.0;
    int paragraph = -1;  // the paragraph it belongs to, counted in reading order; -1 unknown
    // Counter-clockwise quarter turns the page was found in, 0 to 3; -1 when not judged.
    int page_direction = -1;
    // The line's corners clockwise from its top left as read; empty when only the
    // rectangle is known.
    std::vector<PicturePoint> corners;
    // The line's characters in reading order, spaces left out; empty when the engine
    // does not place them.
    std::vector<PlacedCharacter> characters;
};

}  // namespace ocrgated
