#include "service/ppocr/line_geometry.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

namespace ocrgated::ppocr {
namespace {

TEST(ReadingOrder, RowsTopToBottomThenLeftToRight) {
    struct Case {
        const char* name;
        std::vector<cv::Rect> boxes;
        std::vector<std::size_t> order;
    } cases[] = {
        {"none", {}, {}},
        {"stacked lines", {{0, 50, 100, 20}, {0, 10, 100, 20}}, {1, 0}},
        {"one row out of order",
         {{200, 12, 50, 20}, {0, 10, 80, 20}, {100, 14, 50, 20}},
         {1, 2, 0}},
        {"two rows of two",
         {{300, 60, 50, 20}, {0, 62, 50, 20}, {300, 10, 50, 20}, {0, 8, 50, 20}},
         {3, 2, 1, 0}},
        {"slight overlap is a new row", {{300, 0, 50, 20}, {0, 15, 50, 20}}, {0, 1}},
        {"small text beside a tall heading", {{200, 20, 40, 12}, {0, 0, 150, 60}}, {1, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadingOrder(c.boxes), c.order) << c.name;
}

TEST(CropLine, StraightensARotatedBox) {
    // A dark bar drawn along a box rotated by 10 degrees comes out level.
    cv::Mat picture(200, 300, CV_8UC3, cv::Scalar::all(255));
    const cv::RotatedRect rect({150, 100}, {200, 30}, 10);
    cv::Point2f corners[4];
    rect.points(corners);
    std::vector<cv::Point> polygon(corners, corners + 4);
    cv::fillConvexPoly(picture, polygon, cv::Scalar::all(0));
    const TextBox box{OrderedCorners(rect), 1};
    const cv::Mat line = CropLine(picture, box);
    EXPECT_NEAR(line.cols, 200, 2);
    EXPECT_NEAR(line.rows, 30, 2);
    EXPECT_LT(cv::mean(line)[0], 40);  // nearly all of it is the bar
}

TEST(CropLine, TurnsVerticalTextToLieAlongTheLine) {
    cv::Mat picture(200, 100, CV_8UC3, cv::Scalar::all(255));
    const TextBox box{
        {cv::Point2f(40, 10), cv::Point2f(60, 10), cv::Point2f(60, 190), cv::Point2f(40, 190)}, 1};
    const cv::Mat line = CropLine(picture, box);
    EXPECT_EQ(line.cols, 180);
    EXPECT_EQ(line.rows, 20);
}

}  // namespace
}  // namespace ocrgated::ppocr
