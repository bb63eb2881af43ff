// The shared result walk: boxes and confidences come along only when they are numbers.

#include <gtest/gtest.h>

#include "base/utf.h"
#include "reply/reply.h"
#include "reply/result_lines.h"

namespace reply::test {
namespace {

TEST(ResultLines, TakesBoxAndConfidenceOnlyWhenNumeric) {
    struct Case {
        const char* element;
        bool has_box;
        double left, width;
        std::optional<double> confidence;
    };
    const Case cases[] = {
        {R"({"words":"a","location":{"left":2,"top":1,"width":30,"height":4},
             "probability":{"average":0.9812}})",
         true, 2, 30, 0.9812},
        {R"({"words":"b","location":{"left":2.5,"top":1,"width":3E1,"height":4}})", true, 2.5, 30,
         std::nullopt},
        {R"({"words":"c","location":{"left":"2","top":1,"width":3,"height":4}})", false, 0, 0,
         std::nullopt},
        {R"({"words":"d","location":{"left":2,"top":1,"width":3}})", false, 0, 0, std::nullopt},
        {R"({"words":"e","location":[1,2,3,4],"probability":0.5})", false, 0, 0, std::nullopt},
        {R"("bare")", false, 0, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        const auto lines = ResultLines(
            ParseReply(quillory::Utf8ToUtf16(std::string("{words_result:[") + c.element + "]}")));
        ASSERT_EQ(lines.size(), 1u);
        ASSERT_EQ(lines[0].location.has_value(), c.has_box);
        if (c.has_box) {
            EXPECT_DOUBLE_EQ(lines[0].location->left, c.left);
            EXPECT_DOUBLE_EQ(lines[0].location->width, c.width);
        }
        EXPECT_EQ(lines[0].confidence, c.confidence);
    }
    EXPECT_TRUE(ResultLines(ParseReply(u"{\"words_result\":{}}")).empty());
    EXPECT_TRUE(ResultLines(nullptr).empty());
}

TEST(ResultTables, KeepCellsWithWholePlacesAndEndsPastThem) {
    const struct {
        const char* cell;
        bool kept;
    } cases[] = {
        {R"({"row_start":1,"row_end":3,"col_start":0,"col_end":2,"words":"x"})", true},
        {R"({"row_start":1,"row_end":1,"col_start":0,"col_end":1,"words":"x"})", false},
        {R"({"row_start":-1,"row_end":1,"col_start":0,"col_end":1,"words":"x"})", false},
        {R"({"row_start":0.5,"row_end":1,"col_start":0,"col_end":1,"words":"x"})", false},
        {R"({"row_start":"0","row_end":1,"col_start":0,"col_end":1,"words":"x"})", false},
        {R"({"row_start":0,"row_end":1e9,"col_start":0,"col_end":1,"words":"x"})", false},
        {R"({"row_start":0,"row_end":5000,"col_start":0,"col_end":5000,"words":"x"})", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        const auto tables = ResultTables(ParseReply(quillory::Utf8ToUtf16(
            std::string(R"({"tables_result":[{"table_location":[{"x":5,"y":6},{"x":50,"y":6},)"
                        R"({"x":50,"y":60},{"x":5,"y":60}],"body":[)") +
            c.cell + "]}]}")));
        ASSERT_EQ(tables.size(), c.kept ? 1u : 0u);
        if (!c.kept)
            continue;
        EXPECT_EQ(tables[0].rows, 3);
        EXPECT_EQ(tables[0].columns, 2);
        ASSERT_TRUE(tables[0].bounds);
        EXPECT_DOUBLE_EQ(tables[0].bounds->width, 45);
        EXPECT_EQ(tables[0].Grid()[1][0], u"x");
        EXPECT_EQ(tables[0].Grid()[2][1], u"");
    }
}

}  // namespace
}  // namespace reply::test
