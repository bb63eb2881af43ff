// What ParseReply accepts and refuses, and what it makes of each form.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "describe.h"

namespace reply::test {
namespace {

struct Case {
    const char* text;      // UTF-8, converted before parsing
    const char* expected;  // Describe() of the result
};

void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseAndDescribe(std::string_view(c.text)), c.expected);
    }
}

TEST(ParseReply, WhitespaceAndEmptyText) {
    Check({
        {"", "string:"},
        {" \t\r\n\b\f", "string:"},
        {"  1  ", "integer:1"},
        {"\v1", "string:\v1"},  // U+000B is no whitespace: it starts a bare word
        {"\b[\f1\b]\r", "array:[1]"},
    });
}

TEST(ParseReply, TopLevelBareWords) {
    Check({
        {"Hello world  \r\n", "string:Hello world"},
        {"abc\tdef\t", "string:abc\tdef\t"},  // a tab is not cut
        {"+1", "string:+1"},
        {".5", "string:.5"},
        {"]", "string:]"},
        {"Words, [1,2]} /x", "string:Words, [1,2]} /x"},  // runs to the end, read as is
        {"a\\u0041\\n", "string:aA"},                     // escapes work; the new line is cut
        {"ab\\u0000cd", "string:ab"},
        {"ab\\", "none"},  // ends inside an escape
    });
}

TEST(ParseReply, Literals) {
    Check({
        {"null", "null:null"},
        {"true", "boolean:true"},
        {"false", "boolean:false"},
        {"nullable", "string:nullable"},
        {"trueish", "string:trueish"},
        {"null_x", "string:null_x"},
        {"false.", "string:false."},
        {"nul", "string:nul"},
        {"NULL", "string:NULL"},
        {"nUll", "string:nUll"},
        {"null1", "null:null"},  // the literal ends; the 1 follows the top value
        {"true-x", "boolean:true"},
        {"null\xc3\xa9", "null:null"},                    // U+00E9 does not continue a word
        {"null\xe4\xb8\xad", "string:null\xe4\xb8\xad"},  // U+4E2D does
        {"[null1]", "none"},  // after the element "1" stands where "," or "]" is due
        {"[nullx, nul, true ,false]", R"(array:["nullx","nul",true,false])"},
    });
}

TEST(ParseReply, Strings) {
    Check({
        {R"("a\tb")", "string:a\tb"},
        {R"("\b\t\n\f\r")", "string:\b\t\n\f\r"},
        {R"("\u0041\u00e9\x41\xe9")",
         "string:A\xc3\xa9"
         "A\xc3\xa9"},
        {R"("\q\/\'\"\\")", R"(string:q/'"\)"},
        {R"('it''s')", "string:it"},
        {R"('say "hi"')", R"(string:say "hi")"},
        {"\"a\x01\tb\"", "string:a\x01\tb"},           // control characters are taken unchanged
        {R"(["a\u0000b"])", R"(array:["a\u0000b"])"},  // an escaped U+0000 stays in a value
        {R"("abc)", "none"},
        {R"('abc")", "none"},
        {R"("a\)", "none"},
        {R"("\u12G4")", "none"},
        {R"("\u12")", "none"},
        {R"("\x4")", "none"},
        {R"("\xZZ")", "none"},
        {R"("\u)", "none"},
    });
}

TEST(ParseReply, SurrogatesStayTwoCodeUnits) {
    ReplyPtr value = ParseReply(u"[\"\\uD83D\\uDE00\", \"\\uDE00\"]");
    ASSERT_TRUE(value);
    EXPECT_EQ(AsText(value), u"[\"\xD83D\xDE00\",\"\xDE00\"]");
}

TEST(ParseReply, MemberNames) {
    Check({
        {"{'a':1}", R"(object:{"a":1})"},
        {"{a b :1}", R"(object:{"a b ":1})"},  // verbatim up to ":"
        {"{ \n a:1}", R"(object:{"a":1})"},
        {R"({a\:b:1})", R"(object:{"a:b":1})"},
        {R"({"a\u0000xyz":1})", R"(object:{"a":1})"},  // U+0000 ends a name
        {R"({a\u0000 x y :1})", R"(object:{"a":1})"},  // the rest up to ":" is dropped
        {"{} ", "object:{}"},
        {"{(a:1}", "none"},
        {"{)a:1}", "none"},
        {"{.a:1}", "none"},
        {"{[a:1}", "none"},
        {"{]a:1}", "none"},
        {"{{a:1}", "none"},
        {"{:1}", "none"},
        {"{,}", "none"},
        {"{a}", "none"},
        {R"({"a" 1})", "none"},
        {R"({"a":1 "b":2})", "none"},
        {R"({"a":1)", "none"},
        {R"({"a)", "none"},
    });
}

TEST(ParseReply, EmptyElementsAndTrailingCommas) {
    Check({
        {"[]", "array:[]"},
        {"[ ]", "array:[]"},
        {"[1,]", "array:[1]"},
        {"[1 , ]", "array:[1]"},
        {"[,1]", R"(array:["",1])"},
        {"[1,,2]", R"(array:[1,"",2])"},
        {"[1,,]", R"(array:[1,""])"},
        {"[,]", R"(array:[""])"},
        {R"({"a":1,})", R"(object:{"a":1})"},
        {R"({"a":})", R"(object:{"a":""})"},
        {R"({"a":,"b":2})", R"(object:{"b":2,"a":""})"},  // "b" has the higher key
        {R"({"a":1,,})", "none"},
        {"[1 2]", "none"},
        {"[1", "none"},
        {"[", "none"},
        {"[1,", "none"},
    });
}

TEST(ParseReply, BareWordValues) {
    Check({
        {"[a b , c]", R"(array:["a b","c"])"},
        {"[ a\\,b ]", R"(array:["a,b"])"},
        {"[a}b]", R"(array:["a}b"])"},
        {"[a\t]", "array:[\"a\t\"]"},
        {"[a\\u0000bc]", R"(array:["a"])"},
        {"[abc\\]", "none"},
        {"[ab", "none"},
        {R"({"a": x y })", R"(object:{"a":"x y"})"},
        {R"({"a":x]y})", R"(object:{"a":"x]y"})"},
        {R"({"a":x)", "none"},
        {"[/x]", "none"},
    });
}

TEST(ParseReply, Comments) {
    Check({
        {"/* c */ [1 /* x */, // y\n 2] // tail", "array:[1,2]"},
        {"/* a **/1", "integer:1"},  // a block comment ends at the first "*/"
        {"/** x **/1", "integer:1"},
        {"/*/ 1 */2", "integer:2"},  // the opening's asterisk does not close it
        {"{/*a*/\"a\"/*b*/:/*c*/1/*d*/}", R"(object:{"a":1})"},
        {"/* open", "none"},
        {"// open", "none"},
        {"[1 /* open", "none"},
        {"1 /* open", "integer:1"},  // after the top value an open comment is harmless
        {"1 // open", "integer:1"},
        {"/x", "none"},
        {"/", "none"},
        {"1 /x", "none"},
        {"1 /", "none"},
        {R"({"a":1}/)", "none"},
        {"[1 /x]", "none"},
        {"/* only a comment */", "string:"},
    });
}

TEST(ParseReply, TextAfterTheTopValue) {
    Check({
        {R"({"a":1} x/)", R"(object:{"a":1})"},
        {R"({"a":1}{"b":2})", R"(object:{"a":1})"},
        {"[1]]]}}", "array:[1]"},
        {"\"a\" trailing", "string:a"},
        {"12abc", "integer:12"},
        {"[12abc]", "none"},
    });
}

TEST(ParseReply, OpeningParenthesisIsSkipped) {
    Check({
        {"(1", "integer:1"},
        {"((null", "null:null"},
        {"[(1,(2]", "array:[1,2]"},
        {"( 1", "string: 1"},  // the next character starts the value, even whitespace
        {"[( 1]", R"(array:[" 1"])"},
        {"(", "string:"},
        {"[(", "none"},
    });
}

TEST(ParseReply, Numbers) {
    Check({
        {"0012", "integer:12"},
        {"-", "integer:0"},
        {"-5", "integer:-5"},
        {"9223372036854775807", "integer:9223372036854775807"},
        {"-9223372036854775808", "integer:-9223372036854775808"},
        {"99999999999999999999", "integer:9223372036854775807"},  // saturates
        {"-99999999999999999999", "integer:-9223372036854775808"},
        {"12.34", "fixed:12.34"},
        {"7.", "fixed:7"},
        {"2.50", "fixed:2.5"},
        {"3.0", "fixed:3"},
        {"-0.5", "fixed:-0.5"},
        {"-0.0001", "fixed:-0.0001"},
        {"1.2345", "fixed:1.2345"},
        {"922337203685477.5807", "fixed:922337203685477.5807"},
        {"1.23456", "floating:1.23456"},
        {"1e3", "floating:1000"},
        {"1E20", "floating:1E20"},
        {"0.00001", "floating:1E-5"},
        {"1.5e-7", "floating:1.5E-7"},
        {"1e15", "floating:1E15"},
        {"1e14", "floating:100000000000000"},
        {"0.0001e0", "floating:0.0001"},
        {"0.000012345", "floating:1.2345E-5"},
        {"123.5e0", "floating:123.5"},
        {"-2.5e-3", "floating:-0.0025"},
        {"0.1234567890123456789", "floating:0.123456789012346"},
        {"1e-400", "floating:0"},
        {"4.9e-324", "floating:4.94065645841247E-324"},
        {"1.7976931348623157e308", "floating:1.79769313486232E308"},
        {"-0e0", "floating:0"},
        {"[1,-2,3.5,4e1]", "array:[1,-2,3.5,40]"},
        {"[1}", "none"},
    });
}

TEST(ParseReply, NumberBeyondADoubleRaises) {
    for (const char* text :
         {"1e400", "-1e400", "[[{\"a\":[0, 1e400]}]]", "{\"a\":1E309}", "[1e400", "1e400 x"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseAndDescribe(std::string_view(text)), EReplyOverflow);
    }
    // The error carries its message through the common base.
    try {
        ParseReply(u"[1e999]");
        FAIL() << "no error raised";
    } catch (const quillory::Exception& error) {
        EXPECT_NE(std::string(error.what()).find("1e999"), std::string::npos);
    }
    // Text after the top value is not read.
    EXPECT_EQ(ParseAndDescribe(std::string_view("1 1e400")), "integer:1");
}

std::string Nested(int depth, const std::string& inner) {
    return std::string(std::size_t(depth), '[') + inner + std::string(std::size_t(depth), ']');
}

std::string NestedObjects(int depth, const std::string& inner) {
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "{\"a\":";
    text += inner;
    for (int i = 0; i < depth; ++i)
        text += "}";
    return text;
}

TEST(ParseReply, DeepestLevelIs31) {
    EXPECT_EQ(ParseAndDescribe(Nested(31, "1")), "array:" + Nested(31, "1"));
    EXPECT_EQ(ParseAndDescribe(Nested(32, "1")), "none");
    EXPECT_EQ(ParseAndDescribe(Nested(32, "")), "array:" + Nested(32, ""));
    EXPECT_EQ(ParseAndDescribe(Nested(32, ",")), "none");
    EXPECT_EQ(ParseAndDescribe(Nested(33, "")), "none");
    EXPECT_EQ(ParseAndDescribe(NestedObjects(31, "1")), "object:" + NestedObjects(31, "1"));
    EXPECT_EQ(ParseAndDescribe(NestedObjects(32, "1")), "none");
    EXPECT_EQ(ParseAndDescribe(NestedObjects(31, "{}")), "object:" + NestedObjects(31, "{}"));
    // Deep nesting far beyond the limit is refused without exhausting the stack.
    EXPECT_EQ(ParseAndDescribe(Nested(200000, "")), "none");
}

TEST(ParseReply, TextEndsAtTheFirstNul) {
    using namespace std::string_view_literals;
    EXPECT_EQ(ParseAndDescribe(u"[1]\0garbage"sv), "array:[1]");
    EXPECT_EQ(ParseAndDescribe(u"[1,\0 2]"sv), "none");
    EXPECT_EQ(ParseAndDescribe(u"\"ab\0c\""sv), "none");
    EXPECT_EQ(ParseAndDescribe(u"ab\0cd"sv), "string:ab");
    EXPECT_EQ(ParseAndDescribe(u"\0[1]"sv), "string:");
}

TEST(ParseReply, DuplicateNamesKeepTheLaterValue) {
    Check({
        {R"({"a":1,"a":2})", R"(object:{"a":2})"},
        {R"({"a":1,"b":2,'a':[3],a:4})", R"(object:{"b":2,"a":4})"},
        {R"({"a":[1],"a":null})", R"(object:{"a":null})"},
    });
}

}  // namespace
}  // namespace reply::test
