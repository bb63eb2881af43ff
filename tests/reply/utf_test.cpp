#include <gtest/gtest.h>

#include "reply/utf.h"

namespace reply {
namespace {

TEST(Utf, ConvertsBothWays) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"ascii", u"ascii"},
        {"\xc3\xa9\xe4\xb8\xad", u"\u00e9\u4e2d"},
        {"\xf0\x9f\x98\x80", u"\xD83D\xDE00"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16);
        EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8);
    }
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf16FromUtf8("a\xff"
                            "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf16FromUtf8("\xc0\x80"), u"\uFFFD\uFFFD");  // overlong lead
    EXPECT_EQ(Utf16FromUtf8("\xe4\xb8"), u"\uFFFD");        // cut short
    EXPECT_EQ(Utf16FromUtf8("\xed\xa0\x80"), u"\uFFFD");    // a surrogate
    EXPECT_EQ(Utf16FromUtf8("\xe4"
                            "a"),
              u"\uFFFDa");
    EXPECT_EQ(Utf8FromUtf16(u"\xD800x"), "\xef\xbf\xbdx");  // lone high surrogate
    EXPECT_EQ(Utf8FromUtf16(std::u16string(1, char16_t(0xDC00))), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace reply
