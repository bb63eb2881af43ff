#include <gtest/gtest.h>

#include "base/utf.h"
#include "soap/xml_writer.h"

namespace soap {
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
        EXPECT_EQ(quillory::Utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(quillory::Utf16ToUtf8(c.utf16), c.utf8);
    }
}

// One U+FFFD for every byte that does not start a valid sequence.
TEST(Utf, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(quillory::Utf8ToUtf16("a\xff"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(quillory::Utf8ToUtf16("\xc0\x80"), u"\uFFFD\uFFFD");            // overlong lead
    EXPECT_EQ(quillory::Utf8ToUtf16("\xe4\xb8"), u"\uFFFD\uFFFD");            // cut short
    EXPECT_EQ(quillory::Utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // a surrogate
    EXPECT_EQ(quillory::Utf8ToUtf16("\xe4"
                          "a"),
              u"\uFFFDa");
    EXPECT_EQ(quillory::Utf16ToUtf8(u"\xD800x"), "\xef\xbf\xbdx");  // lone high surrogate
    EXPECT_EQ(quillory::Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xef\xbf\xbd");
}

TEST(XmlSafeText, ReplacesWhatXmlCannotCarry) {
    const std::pair<std::string, std::string> cases[] = {
        {"a&b<c>\"\t\r\n", "a&b<c>\"\t\r\n"},
        {std::string("nul\0bel\x07", 8),
         "nul\xEF\xBF\xBD"
         "bel\xEF\xBF\xBD"},
        {"bad\xC3(", "bad\xEF\xBF\xBD("},
        {"\xEF\xBF\xBE\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // U+FFFE, then a real U+FFFD
        {"中文", "中文"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(XmlSafeText(in), out) << in;
}

}  // namespace
}  // namespace soap
