#pragma once
// What the engine's stages know about one text box, passed from stage to stage.

#include "service/engines/ppocr/ctc_decoder.h"
#include "service/engines/ppocr/db_postprocess.h"

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::ppocr {

struct LineRecord {
    TextBox box;            // where detection found it, in the picture as given
    cv::Mat crop;           // the line cut out and laid flat, as it will be read
    bool column = false;    // a column of upright characters, read top to bottom
    float upside_down = 0;  // the direction classifier's probability that crop is turned
    DecodedText text;       // what recognition read
    double confidence = 0;  // mean of text.probabilities
    // How the crop lies against the box, so that places along it map back: read down
    // the box (turned a quarter anticlockwise, or a column), and turned half round.
    bool runs_down = false;
    bool turned = false;
    // Where the crop's ends fall along the box, as shares of its length: a crop wider than
    // its box reaches past 0 and 1.
    double crop_from = 0, crop_to = 1;
};

inline std::vector<LineRecord*> Pointers(std::vector<LineRecord>& records) {
    std::vector<LineRecord*> pointers;
    for (LineRecord& record : records)
        pointers.push_back(&record);
    return pointers;
}

}  // namespace ocrgated::ppocr
