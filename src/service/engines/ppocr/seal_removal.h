#pragma once
// Seals stamped over text: a round or oval seal in red (or blue) ink, as Chinese contracts
// and invoices carry them. Inside each seal the ink is lifted and the black text under it
// kept, so that the detector sees the text as it was printed and not the seal's ring and
// star as lines. Coloured ink elsewhere (a red heading, a blue signature) stays as it is.

#include <opencv2/core.hpp>

#include <vector>

namespace ocrgated::ppocr {

struct SealOptions {
    int min_side = 60;          // a seal's least width and height, in pixels
    double max_share = 0.5;     // of the page's shorter side, at most
    double min_ring = 0.45;     // share of the ellipse's rim the ink must cover
    double max_aspect = 2.0;    // longest over shortest axis: round or oval, no band
    double min_outline_fit = 0.8;  // share of the outline near the ellipse: no box, no badge
};

// The seals found on a BGR page, each as the rectangle around it.
std::vector<cv::Rect> FindSeals(const cv::Mat& bgr, const SealOptions& options = {});

// The page with the seals' ink lifted inside each seal: a pixel of seal colour becomes the
// paper's, a dark pixel (the text under the seal) stays. The page itself when it has none.
cv::Mat WithoutSeals(const cv::Mat& bgr, const SealOptions& options = {});

}  // namespace ocrgated::ppocr
