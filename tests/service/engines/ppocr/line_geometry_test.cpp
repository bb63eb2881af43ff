#include "service/engines/ppocr/line_geometry.h"
#include "service/engines/ppocr/faint_lines.h"
#include "service/engines/ppocr/pp_ocr_options.h"
#include "service/engines/ppocr/reading_order.h"
#include "service/engines/ppocr/vertical_text.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

namespace ocrgated::ppocr {
namespace {

TextBox Turned(const cv::Rect& rect, float degrees) {
    const cv::Point2f centre(rect.x + rect.width / 2.0f, rect.y + rect.height / 2.0f);
    return {OrderedCorners(cv::RotatedRect(
                centre, cv::Size2f(static_cast<float>(rect.width), static_cast<float>(rect.height)),
                degrees)),
            1};
}

TEST(ReadingOrder, LinesAlongTheTextThenAlongEachLine) {
    struct Case {
        const char* name;
        std::vector<cv::Rect> boxes;
        std::vector<std::size_t> order;
        float degrees = 0;  // every box, and the page, turned this much
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
        // Three lines 40 apart on a page turned 12 degrees: by their tops the right end of
        // a lower line sits above the left end of the one before it.
        {"skewed page", {{0, 80, 400, 24}, {0, 0, 400, 24}, {0, 40, 400, 24}}, {1, 2, 0}, 12},
        {"skewed line split in two", {{220, 0, 180, 24}, {0, 0, 200, 24}}, {1, 0}, -10},
    };
    for (const auto& c : cases) {
        std::vector<TextBox> boxes;
        const float turn = c.degrees * static_cast<float>(CV_PI) / 180;
        for (const auto& rect : c.boxes) {
            // Each box's centre moves with the page: turned about the origin.
            const float x = rect.x + rect.width / 2.0f, y = rect.y + rect.height / 2.0f;
            const float cx = x * std::cos(turn) - y * std::sin(turn);
            const float cy = x * std::sin(turn) + y * std::cos(turn);
            boxes.push_back(Turned({cvRound(cx - rect.width / 2.0f),
                                    cvRound(cy - rect.height / 2.0f), rect.width, rect.height},
                                   c.degrees));
        }
        EXPECT_EQ(ReadingOrder(boxes), c.order) << c.name;
    }
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

TEST(ColumnAsLine, SetsTheCharactersOfAColumnSideBySide) {
    // Three 20 x 20 blocks down a 30-wide column; the middle one is two bars with a gap,
    // as the strokes of 二 are, and stays one character.
    cv::Mat column(110, 30, CV_8UC3, cv::Scalar::all(255));
    cv::rectangle(column, cv::Rect(5, 5, 20, 20), cv::Scalar::all(0), cv::FILLED);
    cv::rectangle(column, cv::Rect(5, 42, 20, 6), cv::Scalar::all(0), cv::FILLED);
    cv::rectangle(column, cv::Rect(5, 56, 20, 6), cv::Scalar::all(0), cv::FILLED);
    cv::rectangle(column, cv::Rect(5, 80, 20, 20), cv::Scalar::all(0), cv::FILLED);
    const cv::Mat line = ColumnAsLine(column, PpOcrOptions{}.reading.column_character_span);
    ASSERT_EQ(line.cols, 3 * 30);
    ASSERT_EQ(line.rows, 30);
    for (int cell = 0; cell < 3; ++cell) {
        const cv::Mat ink = line(cv::Rect(cell * 30, 0, 30, 30)) < 128;
        EXPECT_GT(cv::countNonZero(ink.reshape(1)), 3 * 200) << cell;
    }
}

// Lines drawn on white paper in the given grey levels, each in its own box; which stay.
TEST(FaintLines, OnlyPrintFarFainterThanThePagesGoes) {
    struct Case {
        const char* name;
        std::vector<int> greys;  // ink of each line, 0 black; -1 a thin dash in a small box
        std::vector<bool> kept;
    } cases[] = {
        {"faint notes go; grey text and a dash stay", {0, 140, 215, 0, -1}, {1, 1, 0, 1, 1}},
        {"a page printed light all over", {170, 175, 215, 170}, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        cv::Mat page(60 * static_cast<int>(c.greys.size()), 400, CV_8UC3, cv::Scalar::all(255));
        std::vector<TextBox> boxes;
        for (int i = 0; i < static_cast<int>(c.greys.size()); ++i) {
            const int y = 60 * i, grey = c.greys[static_cast<std::size_t>(i)];
            if (grey < 0)
                cv::line(page, {14, y + 18}, {26, y + 18}, cv::Scalar::all(0), 2);
            else
                cv::putText(page, "Faint or not 1,25", {10, y + 28}, cv::FONT_HERSHEY_SIMPLEX, 0.9,
                            cv::Scalar::all(grey), 2);
            boxes.push_back(Turned({5, y, grey < 0 ? 35 : 315, 36}, 0));
        }
        std::vector<bool> which(boxes.size(), false);
        for (const TextBox& box : WithoutFaintLines(page, boxes, {}))
            which[static_cast<std::size_t>(std::lround(box.corners[0].y / 60))] = true;
        EXPECT_EQ(which, c.kept) << c.name;
    }
}

}  // namespace
}  // namespace ocrgated::ppocr
