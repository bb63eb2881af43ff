#include "service/engines/ppocr/db_postprocess.h"
#include "service/engines/ppocr/text_detector.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

namespace ocrgated::ppocr {
namespace {

cv::Rect Bounds(const TextBox& box) {
    return cv::boundingRect(std::vector<cv::Point2f>(box.corners.begin(), box.corners.end()));
}

TEST(DbPostprocess, GrowsEachKernelBackAndScalesToThePicture) {
    // Two text kernels in a 100 x 50 map of a 200 x 100 picture.
    cv::Mat map(50, 100, CV_32F, cv::Scalar(0.0f));
    map(cv::Rect(10, 10, 60, 8)).setTo(0.9f);
    map(cv::Rect(10, 30, 30, 8)).setTo(0.8f);
    const DbOptions options;
    const auto boxes = BoxesFromProbabilities(map, cv::Size(200, 100), options);
    ASSERT_EQ(boxes.size(), 2u);
    // A kernel of w x h pixel centres grows by w * h * ratio / (2 (w + h)) on
    // every side; the map is half the picture's size.
    auto grown = [&](double w, double h) { return w * h * options.unclip_ratio / (2 * (w + h)); };
    const double d1 = grown(59, 7), d2 = grown(29, 7);
    const cv::Rect first = Bounds(boxes[0].score > 0.85f ? boxes[0] : boxes[1]);
    const cv::Rect second = Bounds(boxes[0].score > 0.85f ? boxes[1] : boxes[0]);
    EXPECT_NEAR(first.x, 2 * (10 - d1), 2);
    EXPECT_NEAR(first.width, 2 * (59 + 2 * d1), 3);
    EXPECT_NEAR(first.height, 2 * (7 + 2 * d1), 3);
    EXPECT_NEAR(second.y, 2 * (30 - d2), 2);
    EXPECT_NEAR(second.width, 2 * (29 + 2 * d2), 3);
    EXPECT_NEAR(std::max(boxes[0].score, boxes[1].score), 0.9f, 0.01f);
    EXPECT_NEAR(std::min(boxes[0].score, boxes[1].score), 0.8f, 0.01f);
}

TEST(DbPostprocess, DropsWeakTinyAndEmptyRegions) {
    struct Case {
        const char* name;
        cv::Rect region;
        float value;
    } cases[] = {
        {"below the pixel threshold", {10, 10, 40, 10}, 0.25f},
        {"below the box threshold", {10, 10, 40, 10}, 0.5f},
        {"thinner than the minimum", {10, 10, 40, 2}, 0.9f},
        {"a single pixel", {10, 10, 1, 1}, 0.99f},
    };
    for (const auto& c : cases) {
        cv::Mat map(50, 100, CV_32F, cv::Scalar(0.0f));
        map(c.region).setTo(c.value);
        EXPECT_TRUE(BoxesFromProbabilities(map, cv::Size(100, 50)).empty()) << c.name;
    }
    EXPECT_TRUE(
        BoxesFromProbabilities(cv::Mat(32, 32, CV_32F, cv::Scalar(0.0f)), cv::Size(1, 1)).empty());
}

TEST(DbPostprocess, KeepsBoxesInsideThePicture) {
    cv::Mat map(32, 32, CV_32F, cv::Scalar(0.0f));
    map(cv::Rect(0, 0, 32, 10)).setTo(0.95f);
    const auto boxes = BoxesFromProbabilities(map, cv::Size(64, 64));
    ASSERT_EQ(boxes.size(), 1u);
    for (const auto& p : boxes[0].corners) {
        EXPECT_GE(p.x, 0);
        EXPECT_LE(p.x, 64);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 64);
    }
}

TEST(DbPostprocess, OrdersCornersClockwiseFromTopLeft) {
    for (float angle : {0.0f, 5.0f, -5.0f, 30.0f, -30.0f}) {
        const auto c = OrderedCorners(cv::RotatedRect({100, 100}, {80, 20}, angle));
        EXPECT_LT(c[0].x, c[1].x) << angle;  // top edge runs to the right
        EXPECT_LT(c[1].y, c[2].y) << angle;  // right edge runs down
        EXPECT_GT(c[2].x, c[3].x) << angle;
        EXPECT_GT(c[3].y, c[0].y) << angle;
    }
}

TEST(TextDetector, ThinPicturesArePaddedLargeOnesScaledDown) {
    DetectionOptions upscaling;
    upscaling.min_short_side = 640;
    struct Case {
        cv::Size picture, canvas, input;
        const DetectionOptions options = {};
    } cases[] = {
        {{1000, 300}, {1000, 300}, {960, 288}},
        {{320, 110}, {320, 110}, {320, 96}},
        {{4000, 3000}, {4000, 3000}, {960, 736}},
        {{1500, 54}, {1500, 250}, {960, 160}},  // one screenshot line: padded to 6:1
        {{54, 1500}, {250, 1500}, {160, 960}},
        {{1, 1}, {1, 1}, {32, 32}},
        {{20000, 20}, {20000, 3334}, {960, 160}},
        {{320, 110}, {320, 110}, {960, 320}, upscaling},  // up to the long side's cap
        {{200, 150}, {200, 150}, {800, 608}, upscaling},  // at most four times
    };
    for (const auto& c : cases) {
        const DetectionLayout layout = PlanDetection(c.picture, c.options);
        EXPECT_EQ(layout.canvas, c.canvas) << c.picture;
        EXPECT_EQ(layout.input, c.input) << c.picture;
        EXPECT_EQ(layout.picture.size(), c.picture);
        EXPECT_TRUE((cv::Rect({}, layout.canvas) & layout.picture) == layout.picture);
    }
}

}  // namespace
}  // namespace ocrgated::ppocr
