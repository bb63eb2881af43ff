#include "service/protocol/reply_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace ocrgated {

std::vector<std::vector<std::size_t>> ParagraphRuns(const std::vector<RecognizedLine>& lines) {
    std::vector<std::vector<std::size_t>> runs;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines[i].paragraph < 0 || lines[i].paragraph != lines[i - 1].paragraph)
            runs.emplace_back();
        runs.back().push_back(i);
    }
    return runs;
}

int PageDirection(const std::vector<RecognizedLine>& lines) {
    return lines.empty() ? -1 : lines.front().page_direction;
}

namespace {

nlohmann::ordered_json Points(const std::vector<PicturePoint>& corners) {
    nlohmann::ordered_json points = nlohmann::ordered_json::array();
    for (const PicturePoint& corner : corners)
        points.push_back({{"x", corner.x}, {"y", corner.y}});
    return points;
}

nlohmann::ordered_json TableJson(const RecognizedTable& table) {
    nlohmann::ordered_json body = nlohmann::ordered_json::array();
    for (const TableCell& cell : table.cells)
        body.push_back({{"cell_location", Points(cell.corners)},
                        {"row_start", cell.row_start},
                        {"row_end", cell.row_end},
                        {"col_start", cell.col_start},
                        {"col_end", cell.col_end},
                        {"words", cell.words}});
    const auto notes = [](const std::vector<TableNote>& lines) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const TableNote& note : lines)
            list.push_back({{"location", Points(note.corners)}, {"words", note.words}});
        return list;
    };
    return {{"table_location", Points(table.corners)},
            {"header", notes(table.header)},
            {"body", std::move(body)},
            {"footer", notes(table.footer)}};
}

}  // namespace

std::string WriteReplyJson(std::uint64_t log_id, const std::vector<RecognizedLine>& lines,
                           const std::vector<RecognizedTable>& tables) {
    nlohmann::ordered_json words = nlohmann::ordered_json::array();
    for (const auto& line : lines) {
        words.push_back({
            {"words", line.words},
            {"location",
             {{"left", line.left},
              {"top", line.top},
              {"width", line.width},
              {"height", line.height}}},
            {"probability",
             {{"average", line.average}, {"min", line.min}, {"variance", line.variance}}},
        });
    }
    nlohmann::ordered_json reply = {
        {"log_id", log_id},
        {"words_result_num", lines.size()},
        {"words_result", std::move(words)},
    };
    // Paragraphs and the page's turn, where the engine found them.
    if (std::any_of(lines.begin(), lines.end(), [](const auto& l) { return l.paragraph >= 0; })) {
        const auto runs = ParagraphRuns(lines);
        reply["paragraphs_result_num"] = runs.size();
        reply["paragraphs_result"] = nlohmann::ordered_json::array();
        for (const auto& run : runs)
            reply["paragraphs_result"].push_back({{"words_result_idx", run}});
    }
    if (PageDirection(lines) >= 0)
        reply["direction"] = PageDirection(lines);
    if (!tables.empty()) {
        reply["table_num"] = tables.size();
        reply["tables_result"] = nlohmann::ordered_json::array();
        for (const RecognizedTable& table : tables)
            reply["tables_result"].push_back(TableJson(table));
    }
    // An engine's stray invalid UTF-8 must not cost the whole reply.
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ocrgated
