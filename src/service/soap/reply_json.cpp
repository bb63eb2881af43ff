#include "service/soap/reply_json.h"

#include <algorithm>

#include "service/recognition/reply_members.h"

namespace ocrgated {

std::string WriteReplyJson(std::uint64_t log_id, const std::vector<RecognizedLine>& lines,
                           const std::vector<RecognizedTable>& tables,
                           const std::vector<RecognizedCode>& codes, bool characters) {
    Json reply = {
        {"log_id", log_id},
        {"words_result_num", lines.size()},
        {"words_result", WordsResult(lines, {.chars = characters})},
    };
    // Paragraphs and the page's turn, where the engine found them.
    if (std::any_of(lines.begin(), lines.end(), [](const auto& l) { return l.paragraph >= 0; })) {
        reply["paragraphs_result_num"] = ParagraphRuns(lines).size();
        reply["paragraphs_result"] = ParagraphsResult(lines);
    }
    if (PageDirection(lines) >= 0)
        reply["direction"] = PageDirection(lines);
    if (!tables.empty()) {
        reply["table_num"] = tables.size();
        reply["tables_result"] = TablesResult(tables);
    }
    if (!codes.empty()) {
        reply["codes_result_num"] = codes.size();
        reply["codes_result"] = CodesResult(codes, true);
    }
    return ReplyText(reply);
}

}  // namespace ocrgated
