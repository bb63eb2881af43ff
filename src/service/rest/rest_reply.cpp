#include "service/rest/rest_reply.h"

#include <algorithm>
#include <array>

#include "base/utf.h"
#include "service/recognition/reply_members.h"
#include "soap/base64.h"
#include "workbook/workbook.h"

namespace ocrgated {

int DetectedLanguage(const std::vector<RecognizedLine>& lines) {
    std::array<int, 4> counts{};  // English, Japanese, Korean, Chinese
    for (const RecognizedLine& line : lines) {
        for (std::size_t at = 0; at < line.words.size();) {
            const char32_t c = quillory::DecodeUtf8(line.words, at);
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
                ++counts[0];
            else if (quillory::IsKana(c))
                counts[1] += 4;  // kana mark Japanese even among many kanji
            else if (quillory::IsHangul(c))
                ++counts[2];
            else if (quillory::IsHan(c))
                counts[3] += 3;  // a Chinese character says as much as a Latin word
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? -1 : static_cast<int>(most - counts.begin());
}

namespace {

// The page's tables as the command line's workbook holds them: a sheet, one table under
// another, or its lines one per row when it has none.
std::vector<std::uint8_t> Workbook(const PageReading& page) {
    std::vector<workbook::Table> tables;
    for (const RecognizedTable& table : page.tables) {
        workbook::Table& written = tables.emplace_back();
        written.rows = table.rows;
        for (const TableCell& cell : table.cells)
            written.cells.push_back({cell.row_start, cell.col_start,
                                     cell.row_end - cell.row_start, cell.col_end - cell.col_start,
                                     cell.words});
    }
    std::vector<std::string> lines;
    for (const RecognizedLine& line : page.lines)
        lines.push_back(line.words);
    return workbook::OneSheetBook("Page 1", tables, lines);
}

}  // namespace

std::string WriteRestReply(std::uint64_t log_id, const RestCall& call, const PageReading& page) {
    Json reply = {{"log_id", log_id}};
    if (call.endpoint.codes) {
        reply["codes_result_num"] = page.codes.size();
        reply["codes_result"] = CodesResult(page.codes, call.code_location);
        return ReplyText(reply);
    }
    if (call.endpoint.tables) {
        reply["table_num"] = page.tables.size();
        reply["tables_result"] =
            TablesResult(page.tables, call.cell_contents ? &page.lines : nullptr);
        if (call.return_excel) {
            // One line of base64, as a JSON string carries it.
            std::string excel = soap::EncodeBase64Lines(Workbook(page));
            std::erase(excel, '\r');
            std::erase(excel, '\n');
            reply["excel_file"] = std::move(excel);
        }
        return ReplyText(reply);
    }
    const std::vector<RecognizedLine>& lines = page.lines;
    if (call.detect_direction)
        reply["direction"] = PageDirection(lines);
    reply["words_result_num"] = lines.size();
    reply["words_result"] = WordsResult(
        lines, {call.endpoint.with_location, call.vertexes_location, call.probability, call.chars});
    if (call.paragraph) {
        reply["paragraphs_result_num"] = ParagraphRuns(lines).size();
        reply["paragraphs_result"] = ParagraphsResult(lines);
    }
    if (call.detect_language)
        reply["language"] = DetectedLanguage(lines);
    return ReplyText(reply);
}

std::string WriteRestError(std::uint64_t log_id, int code, std::string_view message) {
    return ReplyText({{"log_id", log_id}, {"error_code", code}, {"error_msg", message}});
}

}  // namespace ocrgated
