#include "character_error_rate.h"

#include <gtest/gtest.h>

namespace quillory::testing {
namespace {

TEST(CharacterErrorRate, CountsEditsOverNormalisedCodePoints) {
    struct Case {
        const char* name;
        std::vector<std::string> expected, read;
        std::size_t edits, reference;
    } cases[] = {
        {"exact", {"限时特惠"}, {"限时特惠"}, 0, 4},
        {"one substitution", {"限时特惠"}, {"限时特慧"}, 1, 4},
        {"nothing read", {"限时特惠", "abc"}, {}, 7, 7},
        {"spaces between Chinese ignored", {"全场五折"}, {"全 场 五 折"}, 0, 4},
        {"full-width forms fold", {"¥99: A"}, {"￥９９：Ａ"}, 0, 5},
        {"insertion", {"ab"}, {"a", "xb"}, 1, 2},
    };
    for (const auto& c : cases) {
        ErrorCount count;
        count.Add(c.expected, c.read);
        EXPECT_EQ(count.edits, c.edits) << c.name;
        EXPECT_EQ(count.reference, c.reference) << c.name;
    }
}

}  // namespace
}  // namespace quillory::testing
