// AsText: member order by key, quoting, and the top value's bare form.

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

#include "describe.h"
#include "base/utf.h"

namespace reply::test {
namespace {

// Written out again here, apart from the reader, so that a slip in one shows.
std::uint32_t ReferenceKey(const std::u16string& name) {
    std::uint64_t key = 0;
    for (char16_t c : name)
        key = (key * 129 + c + 0x9E370001ull) % 0x100000000ull;
    return std::uint32_t(key);
}

std::vector<std::u16string> MemberNames(const ReplyPtr& object) {
    std::vector<std::u16string> names;
    for (const auto& member : object->members())
        names.emplace_back(member.name);
    return names;
}

TEST(TextForm, MembersInDescendingKeyOrder) {
    std::vector<std::u16string> names = {u"words", u"location",     u"probability", u"top", u"left",
                                         u"width", u"height",       u"log_id",      u"",    u"a",
                                         u"b",     u"words_result", u"\u4e2d文",    u"zz",  u"z"};
    std::u16string text = u"{";
    for (const auto& name : names)
        text += u"\"" + name + u"\":1,";
    text += u"}";
    ReplyPtr object = ParseReply(text);
    ASSERT_TRUE(object);

    std::vector<std::u16string> expected = names;
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        return ReferenceKey(a) != ReferenceKey(b) ? ReferenceKey(a) > ReferenceKey(b) : a < b;
    });
    EXPECT_EQ(MemberNames(object), expected);

    std::u16string form = u"{";
    for (const auto& name : expected)
        form += u"\"" + name + u"\":1,";
    form.back() = u'}';
    EXPECT_EQ(AsText(object), form);
}

TEST(TextForm, EqualKeysInAscendingNameOrder) {
    // 'a'*129 + 0xC8 == 'b'*129 + 'G': the two names share one key.
    const std::u16string first = u"a\u00C8", second = u"bG";
    ASSERT_EQ(ReferenceKey(first), ReferenceKey(second));
    for (const char16_t* text : {u"{\"bG\":2,\"a\u00C8\":1}", u"{\"a\u00C8\":1,\"bG\":2}"}) {
        EXPECT_EQ(AsText(ParseReply(text)), u"{\"a\u00C8\":1,\"bG\":2}");
    }
}

TEST(TextForm, QuotesWithThreeEscapesOnly) {
    ReplyPtr value = ParseReply(uR"(["q\"b\\s/\u0000\t\n\u00e9\u4e2d\u0001", {"k\"\\":'v'}])");
    ASSERT_TRUE(value);
    EXPECT_EQ(AsText(value),
              u"[\"q\\\"b\\\\s/\\u0000\t\n\u00e9\u4e2d\u0001\",{\"k\\\"\\\\\":\"v\"}]");
}

TEST(TextForm, TopStringIsWrittenBare) {
    EXPECT_EQ(AsText(ParseReply(uR"("a\"b\u0000c")")), std::u16string(u"a\"b\0c", 5));
    EXPECT_EQ(AsText(nullptr), u"");
}

TEST(TextForm, NoSpacesAnywhere) {
    EXPECT_EQ(AsText(ParseReply(u" { \"a\" : [ 1 , { } , [ ] , \"x y\" ] , \"b\" : null } ")),
              u"{\"b\":null,\"a\":[1,{},[],\"x y\"]}");
}

TEST(TextForm, DecimalPointIgnoresTheLocale) {
    // A locale with a decimal comma, when the machine has one; the text form must not move.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    bool switched = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8");
    EXPECT_EQ(AsText(ParseReply(u"[2.5, 0.123456, 1.5e-7, 3.25e2]")), u"[2.5,0.123456,1.5E-7,325]")
        << (switched ? "with a decimal-comma locale" : "in the C locale");
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace reply::test
