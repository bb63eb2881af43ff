// The questions the result display asks of a reply, and what wrong shapes answer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "describe.h"
#include "base/utf.h"

namespace reply::test {
namespace {

// The result display's walk: every "words" text of "words_result", or nothing.
std::vector<std::string> Words(const std::string& reply) {
    std::vector<std::string> lines;
    ReplyPtr doc = ParseReply(quillory::Utf8ToUtf16(reply));
    ReplyPtr array = ArrayMember(doc, u"words_result");
    for (std::size_t i = 0, n = ElementCount(array); i < n; ++i) {
        lines.push_back(quillory::Utf16ToUtf8(StringMember(ElementAt(array, i), u"words")));
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(Lookup, ReadsTheWordsOfATypicalReply) {
    const std::string reply = R"({"log_id": 3518871, "words_result_num": 2,
        "words_result": [
            {"location": {"top": 1, "left": 2, "width": 3, "height": 4},
             "words": "识别结果 line 1", "probability": {"average": 0.98, "min": 0.9}},
            {"words": "second"}]})";
    EXPECT_EQ(Words(reply), (Lines{"识别结果 line 1", "second"}));
}

TEST(Lookup, NoArrayForOtherShapes) {
    for (const char* reply :
         {"", "   ", "\xEF\xBB\xBF{\"words_result\":[]}", "Words_result", "[{\"words_result\":[]}]",
          "{\"words_result\":null}", "{\"words_result\":{}}", "{\"words_result\":\"x\"}",
          "{\"words_result\":1}", "{\"Words_result\":[{\"words\":\"x\"}]}",
          "{\"words_result \":[{\"words\":\"x\"}]}", "{}", "null"}) {
        SCOPED_TRACE(reply);
        ReplyPtr doc = ParseReply(quillory::Utf8ToUtf16(reply));
        ASSERT_TRUE(doc);
        EXPECT_FALSE(ArrayMember(doc, u"words_result"));
    }
    EXPECT_FALSE(ArrayMember(nullptr, u"words_result"));
}

TEST(Lookup, ByteOrderMarkStartsABareWord) {
    ReplyPtr doc = ParseReply(u"\uFEFF{\"words_result\":[]}");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->kind(), ReplyValue::Kind::String);
    EXPECT_EQ(doc->string(), u"\uFEFF{\"words_result\":[]}");
}

TEST(Lookup, ElementsOfWrongShapeGiveEmptyText) {
    EXPECT_EQ(Words(R"({"words_result":[null,"s",1,2.5,true,[1],{},{"x":1},{"Words":"a"}]})"),
              Lines(9, ""));
}

TEST(Lookup, WordsOfOtherKindsGiveTheirTextForm) {
    EXPECT_EQ(Words(R"({"words_result":[{"words":null},{"words":true},{"words":2.50},
                     {"words":3.0},{"words":1e3},{"words":[1, 2]},{"words":{"b" : "x"}},
                     {"words":'a"b'},{"words":-7}]})"),
              (Lines{"null", "true", "2.5", "3", "1000", "[1,2]", R"({"b":"x"})", "a\"b", "-7"}));
}

TEST(Lookup, LaterDuplicateWins) {
    EXPECT_EQ(Words(R"({"words_result":[{"words":"old"}],"x":1,
                     "words_result":[{"words":"a","words":"b"},{"words":"c"}]})"),
              (Lines{"b", "c"}));
}

TEST(Lookup, StringMemberOnNonObjects) {
    for (const char* text : {"[1]", "\"words\"", "1", "null"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(StringMember(ParseReply(quillory::Utf8ToUtf16(text)), u"words"), u"");
    }
    EXPECT_EQ(StringMember(nullptr, u"words"), u"");
    EXPECT_EQ(StringMember(ParseReply(u"{\"a\":\"\"}"), u"a"), u"");
    EXPECT_EQ(StringMember(ParseReply(u"{\"\":\"empty name\"}"), u""), u"empty name");
}

TEST(Lookup, ElementsAndCounts) {
    ReplyPtr array = ParseReply(u"[10, \"x\", null]");
    ASSERT_TRUE(array);
    EXPECT_EQ(ElementCount(array), 3u);
    EXPECT_EQ(Describe(ElementAt(array, 0)), "integer:10");
    EXPECT_EQ(Describe(ElementAt(array, 1)), "string:x");
    EXPECT_EQ(Describe(ElementAt(array, 2)), "null:null");
    // Out of range, or not an array at all: a null value, never none.
    for (std::size_t index : {std::size_t(3), std::size_t(-1)}) {
        EXPECT_EQ(Describe(ElementAt(array, index)), "null:null");
    }
    EXPECT_EQ(Describe(ElementAt(nullptr, 0)), "null:null");
    EXPECT_EQ(Describe(ElementAt(ParseReply(u"{\"a\":1}"), 0)), "null:null");
    EXPECT_EQ(ElementCount(nullptr), 0u);
    EXPECT_EQ(ElementCount(ParseReply(u"{\"a\":1}")), 0u);
    EXPECT_EQ(ElementCount(ParseReply(u"\"abc\"")), 0u);
    EXPECT_EQ(ElementCount(ParseReply(u"[]")), 0u);
}

TEST(Lookup, ValuesOutliveTheDocumentHandle) {
    ReplyPtr words;
    {
        ReplyPtr doc = ParseReply(u"{\"words_result\":[{\"words\":\"kept alive\"}]}");
        words = ElementAt(ArrayMember(doc, u"words_result"), 0);
    }
    // Only the element is held now; the tree under it must still be there.
    EXPECT_EQ(StringMember(words, u"words"), u"kept alive");
}

TEST(Lookup, ManyMembersAreFoundByName) {
    std::string text = "{";
    for (int i = 0; i < 500; ++i)
        text += "\"m" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    text += "\"words_result\":[{\"words\":\"found\"}]}";
    EXPECT_EQ(Words(text), (Lines{"found"}));
    ReplyPtr doc = ParseReply(quillory::Utf8ToUtf16(text));
    for (int i = 0; i < 500; i += 37) {
        EXPECT_EQ(quillory::Utf16ToUtf8(StringMember(doc, quillory::Utf8ToUtf16("m" + std::to_string(i)))),
                  std::to_string(i));
    }
    EXPECT_EQ(StringMember(doc, u"m500"), u"");
}

}  // namespace
}  // namespace reply::test
