// CJK space removal and the reply JSON.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "service/engines/tesseract/text_cleanup.h"
#include "service/soap/reply_json.h"

namespace ocrgated {
namespace {

TEST(CjkSpaces, RemovedBetweenCjkOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"今 天 天 气", "今天天气"},
        {"你好 ， 世界 。", "你好，世界。"},
        {"  前后  ", "前后"},
        {"The quick  brown fox", "The quick  brown fox"},
        {"版本 5 发布", "版本 5 发布"},  // a Latin or digit neighbour keeps the space
        {"中文 English 中文", "中文 English 中文"},
        {"「引号」 与 《书名》", "「引号」与《书名》"},
        {"ｶﾀｶﾅ かな カナ", "ｶﾀｶﾅ かなカナ"},
        {"서울 특별시 지도", "서울 특별시 지도"},  // Korean spaces its words
        {"", ""},
        {"a\xff b", "a\xff b"},  // invalid UTF-8 passes through
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RemoveCjkSpaces(in), out) << in;
}

TEST(ReplyJson, HasTheShapeTheClientReads) {
    RecognizedLine line{"第一行 line", 1, 2, 30, 40, 0.9, 0.5, 0.01};
    const auto reply = nlohmann::json::parse(WriteReplyJson(42, {line, line}));
    EXPECT_EQ(reply["log_id"], 42u);
    EXPECT_EQ(reply["words_result_num"], 2);
    ASSERT_EQ(reply["words_result"].size(), 2u);
    const auto& first = reply["words_result"][0];
    EXPECT_EQ(first["words"], "第一行 line");
    EXPECT_EQ(first["location"],
              (nlohmann::json{{"left", 1}, {"top", 2}, {"width", 30}, {"height", 40}}));
    EXPECT_DOUBLE_EQ(first["probability"]["average"].get<double>(), 0.9);
    EXPECT_DOUBLE_EQ(first["probability"]["min"].get<double>(), 0.5);
    EXPECT_DOUBLE_EQ(first["probability"]["variance"].get<double>(), 0.01);
    EXPECT_FALSE(reply.contains("tables_result"));  // only where there are tables

    RecognizedTable table;
    table.rows = table.columns = 2;
    table.corners = {{0, 0}, {9, 0}, {9, 9}, {0, 9}};
    table.header.push_back({{{0, -5}, {9, -5}, {9, -1}, {0, -1}}, "title"});
    table.cells.push_back({0, 2, 0, 1, {{0, 0}, {4, 0}, {4, 9}, {0, 9}}, {0, 1}, "a b"});
    const auto with_table = nlohmann::json::parse(WriteReplyJson(7, {line, line}, {table}));
    EXPECT_EQ(with_table["table_num"], 1);
    const auto& result = with_table["tables_result"][0];
    EXPECT_EQ(result["table_location"][2], (nlohmann::json{{"x", 9}, {"y", 9}}));
    EXPECT_EQ(result["body"][0], (nlohmann::json{{"cell_location",
                                                  {{{"x", 0}, {"y", 0}},
                                                   {{"x", 4}, {"y", 0}},
                                                   {{"x", 4}, {"y", 9}},
                                                   {{"x", 0}, {"y", 9}}}},
                                                 {"row_start", 0},
                                                 {"row_end", 2},
                                                 {"col_start", 0},
                                                 {"col_end", 1},
                                                 {"words", "a b"}}));
    EXPECT_EQ(result["header"][0]["words"], "title");
    EXPECT_EQ(result["header"][0]["location"][1], (nlohmann::json{{"x", 9}, {"y", -5}}));
    EXPECT_TRUE(result["footer"].is_array() && result["footer"].empty());
}

TEST(ReplyJson, NoTextGivesEmptyArrayAndInvalidUtf8IsReplaced) {
    const auto empty = nlohmann::json::parse(WriteReplyJson(1, {}));
    EXPECT_TRUE(empty["words_result"].is_array());
    EXPECT_TRUE(empty["words_result"].empty());
    EXPECT_EQ(empty["words_result_num"], 0);
    RecognizedLine broken{"ab\xff", 0, 0, 0, 0, 0, 0, 0};
    const auto reply = nlohmann::json::parse(WriteReplyJson(1, {broken}));
    EXPECT_EQ(reply["words_result"][0]["words"], "ab\xEF\xBF\xBD");
}

}  // namespace
}  // namespace ocrgated
