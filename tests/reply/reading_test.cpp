// A reply's reading: whatever its paragraphs say, every line once and in order, and tables
// where their first line stands.

#include <gtest/gtest.h>

#include "base/utf.h"
#include "reply/reading.h"

namespace reply::test {
namespace {

using Paragraphs = std::vector<std::vector<std::size_t>>;

Reading Read(const std::string& json) {
    return ReadReply(quillory::Utf8ToUtf16(json));
}

TEST(Reading, EveryLineOnceAndInOrderWhateverTheParagraphsSay) {
    const struct {
        const char* name;
        int lines;
        const char* paragraphs;  // the member's value; null: none
        Paragraphs expected;
    } cases[] = {
        {"as sent", 4, R"([{"words_result_idx":[0,1]},{"words_result_idx":[2,3]}])", {{0, 1}, {2, 3}}},
        {"no member", 2, nullptr, {{0}, {1}}},
        {"not an array", 2, R"({"words_result_idx":[0,1]})", {{0}, {1}}},
        {"a line claimed twice", 2, R"([{"words_result_idx":[0,1]},{"words_result_idx":[1]}])",
         {{0}, {1}}},
        {"a line nobody claims", 2, R"([{"words_result_idx":[0]}])", {{0}, {1}}},
        {"a gap inside a paragraph", 3, R"([{"words_result_idx":[0,2]}])", {{0}, {1}, {2}}},
        {"out of order", 3, R"([{"words_result_idx":[2]},{"words_result_idx":[0,1]}])",
         {{0}, {1}, {2}}},
        {"out of range, negative, not whole, not numbers", 3,
         R"([{"words_result_idx":[0,1,7,-1,1.5,"2",null]},{"words_result_idx":[2.0]}])",
         {{0, 1}, {2}}},
        {"a paragraph without indices", 2, R"([{},{"words_result_idx":[0,1]}])", {{0, 1}}},
        {"no lines", 0, R"([{"words_result_idx":[0]}])", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string json = "{\"words_result\":[";
        for (int i = 0; i < c.lines; ++i)
            json += (i ? ",{\"words\":\"" : "{\"words\":\"") + std::to_string(i) + "\"}";
        json += "]";
        if (c.paragraphs)
            json += std::string(",\"paragraphs_result\":") + c.paragraphs;
        const Reading reading = Read(json + "}");
        EXPECT_EQ(reading.paragraphs, c.expected);
        // What both faces show: each block's lines, every line exactly once, in order.
        std::vector<std::size_t> shown;
        for (const ReadingBlock& block : reading.Blocks())
            shown.insert(shown.end(), block.lines.begin(), block.lines.end());
        std::vector<std::size_t> all(std::size_t(c.lines), 0);
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        EXPECT_EQ(shown, all);
    }
}

TEST(Reading, ATableStandsAtItsFirstLineAndOnceAndAnEmptyTableLast) {
    const Reading reading = Read(R"({"words_result":[
        {"words":"title","location":{"left":0,"top":0,"width":50,"height":10}},
        {"words":"a","location":{"left":0,"top":30,"width":10,"height":10}},
        {"words":"b","location":{"left":30,"top":30,"width":10,"height":10}},
        {"words":"note","location":{"left":0,"top":90,"width":50,"height":10}}],
      "paragraphs_result":[{"words_result_idx":[0,1]},{"words_result_idx":[2,3]}],
      "tables_result":[
        {"table_location":[{"x":0,"y":25},{"x":60,"y":25},{"x":60,"y":45},{"x":0,"y":45}],
         "body":[{"row_start":0,"row_end":1,"col_start":0,"col_end":1,"words":"a"},
                 {"row_start":0,"row_end":1,"col_start":1,"col_end":2,"words":"b"}]},
        {"table_location":[{"x":500,"y":500},{"x":600,"y":600}],
         "body":[{"row_start":0,"row_end":1,"col_start":0,"col_end":1,"words":"z"}]}]})");
    ASSERT_TRUE(reading.readable);
    const struct {
        bool by_paragraph;
        std::vector<std::pair<std::vector<std::size_t>, std::optional<std::size_t>>> blocks;
    } cases[] = {
        {true, {{{0}, {}}, {{1, 2}, 0}, {{3}, {}}, {{}, 1}}},
        {false, {{{0}, {}}, {{1, 2}, 0}, {{3}, {}}, {{}, 1}}},
    };
    for (const auto& c : cases) {
        const auto blocks = reading.Blocks(c.by_paragraph);
        ASSERT_EQ(blocks.size(), c.blocks.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(blocks[i].lines, c.blocks[i].first) << i;
            EXPECT_EQ(blocks[i].table, c.blocks[i].second) << i;
        }
    }
}

TEST(Reading, SaysWhetherTheReplyReadAtAll) {
    const struct {
        const char* json;
        bool readable, refused;
    } cases[] = {
        {R"({"words_result":[]})", true, false},
        {R"({"words_result":[)", false, false},
        {R"({"words_result":[{"words":"A"}],"x":1e999})", false, true},
    };
    for (const auto& c : cases) {
        const Reading reading = Read(c.json);
        EXPECT_EQ(reading.readable, c.readable) << c.json;
        EXPECT_EQ(reading.refused, c.refused) << c.json;
        EXPECT_TRUE(reading.lines.empty()) << c.json;
    }
}

// Codes as the reply gives them, or as a careless writer might: every entry with a type once.
TEST(Reading, CodesWithTheirTextAndPlace) {
    const struct {
        const char* json;
        std::vector<std::u16string> codes;  // "TYPE text"
        int located;                        // how many came with a place
    } cases[] = {
        {R"({"codes_result":[{"type":"QR_CODE","text":["第一行","two"],)"
         R"("location":{"left":1,"top":2,"width":3,"height":4}}]})",
         {u"QR_CODE 第一行\ntwo"}, 1},
        {R"({"codes_result":[{"type":"EAN_13","text":"9780201379624"},{"text":["no type"]},)"
         R"({"type":"CODE_128","text":[1,null,"x"]}]})",
         {u"EAN_13 9780201379624", u"CODE_128 1\nnull\nx"}, 0},
        {R"({"codes_result":{"type":"QR_CODE"}})", {}, 0},
        {R"({"words_result":[]})", {}, 0},
    };
    for (const auto& c : cases) {
        const Reading reading = Read(c.json);
        std::vector<std::u16string> codes;
        int located = 0;
        for (const ResultCode& code : reading.codes) {
            codes.push_back(code.type + u" " + code.text);
            located += code.location.has_value();
        }
        EXPECT_EQ(codes, c.codes) << c.json;
        EXPECT_EQ(located, c.located) << c.json;
    }
}

}  // namespace
}  // namespace reply::test
