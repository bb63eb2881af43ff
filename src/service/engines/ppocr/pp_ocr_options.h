#pragma once
// Every tunable of the PP-OCR engine in one place, with the values that read best on
// our test sets. An operator may override the few that `ocrgated` exposes as flags.

#include "service/engines/ppocr/db_postprocess.h"
#include "service/pictures/picture_decoder.h"

#include <opencv2/core.hpp>

namespace ocrgated::ppocr {

struct DetectionOptions {
    // Scaling small pictures up (to this short side) read worse on every set we tried: the
    // padding of thin pictures is what small text needs. 0 leaves them at their size.
    int min_short_side = 0;
    int max_long_side = 960;  // larger pictures are scaled down to this long side
    float max_aspect = 6;     // thinner pictures are padded with their background to this
    // The network was trained on ImageNet-normalised channels, in BGR order here.
    cv::Scalar mean{0.485, 0.456, 0.406};
    cv::Scalar deviation{0.229, 0.224, 0.225};
    DbOptions db;
};

struct PpOcrOptions {
    DetectionOptions detection;
    bool classify_direction = true;       // turn upside-down lines before reading
    float upside_down_confidence = 0.9f;  // a line's own vote that overrides its page's
    float tall_ratio = 1.5f;              // boxes this much taller than wide are vertical
    float min_line_confidence = 0.5f;     // lines read with less are dropped as noise
    // Lines read at once, each on one core with networks of its own (tens of MiB each):
    // one network on two threads keeps the second core idle for most layers of a line.
    // 0 means one per core, at most four; a service with a worker per core wants 1.
    int recognition_lanes = 0;
    // For decoded pictures handed in directly; bytes meet the decoder's own check.
    long long max_pixels = static_cast<long long>(kMaxPicturePixels);
};

}  // namespace ocrgated::ppocr
