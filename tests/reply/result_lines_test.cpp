// The shared result walk: boxes and confidences come along only when they are numbers.

#include <gtest/gtest.h>

#include "reply/reply.h"
#include "reply/result_lines.h"
#include "base/utf.h"

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

}  // namespace
}  // namespace reply::test
