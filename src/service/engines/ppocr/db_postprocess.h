#pragma once
// Turns the detection network's text probability map into text boxes.

#include <opencv2/core.hpp>

#include <array>
#include <vector>

namespace ocrgated::ppocr {

// Corners clockwise from the top left, in picture coordinates.
struct TextBox {
    std::array<cv::Point2f, 4> corners;
    float score = 0;
};

struct DbOptions {
    float threshold = 0.3f;      // a pixel is text above this probability
    float box_threshold = 0.6f;  // a box is text above this mean probability
    float unclip_ratio = 1.5f;   // how far a shrunk text kernel grows back
    int max_candidates = 1000;
    float min_size = 3;  // shortest side, in map pixels
};

// probabilities: CV_32F map of the resized picture; picture: the original size
// the boxes are scaled to.
std::vector<TextBox> BoxesFromProbabilities(const cv::Mat& probabilities, cv::Size picture,
                                            const DbOptions& options = {});

// The four corners of a rotated rectangle, clockwise from the top left.
std::array<cv::Point2f, 4> OrderedCorners(const cv::RotatedRect& rect);

}  // namespace ocrgated::ppocr
