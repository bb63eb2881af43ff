#include "service/recognition/reply_members.h"

namespace ocrgated {
namespace {

Json Location(int left, int top, int width, int height) {
    return {{"left", left}, {"top", top}, {"width", width}, {"height", height}};
}

Json Points(const std::vector<PicturePoint>& corners) {
    Json points = Json::array();
    for (const PicturePoint& corner : corners)
        points.push_back({{"x", corner.x}, {"y", corner.y}});
    return points;
}

Json Vertexes(const RecognizedLine& line) {
    if (line.corners.size() == 4)
        return Points(line.corners);
    const int right = line.left + line.width, bottom = line.top + line.height;
    return Points({{line.left, line.top}, {right, line.top}, {right, bottom}, {line.left, bottom}});
}

Json TableJson(const RecognizedTable& table, const std::vector<RecognizedLine>* lines) {
    Json body = Json::array();
    for (const TableCell& cell : table.cells) {
        Json entry = {{"cell_location", Points(cell.corners)},
                      {"row_start", cell.row_start},
                      {"row_end", cell.row_end},
                      {"col_start", cell.col_start},
                      {"col_end", cell.col_end},
                      {"words", cell.words}};
        if (lines) {
            // Each line in the cell with its place, as the cell's contents.
            Json contents = Json::array();
            for (std::size_t i : cell.lines)
                if (i < lines->size())
                    contents.push_back(
                        {{"poly_location", Vertexes((*lines)[i])}, {"word", (*lines)[i].words}});
            entry["contents"] = std::move(contents);
        }
        body.push_back(std::move(entry));
    }
    const auto notes = [](const std::vector<TableNote>& lines) {
        Json list = Json::array();
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

Json WordsResult(const std::vector<RecognizedLine>& lines, const LineMembers& members) {
    Json words = Json::array();
    for (const RecognizedLine& line : lines) {
        Json entry = {{"words", line.words}};
        if (members.location)
            entry["location"] = Location(line.left, line.top, line.width, line.height);
        if (members.vertexes)
            entry["vertexes_location"] = Vertexes(line);
        if (members.probability)
            entry["probability"] = {
                {"average", line.average}, {"min", line.min}, {"variance", line.variance}};
        if (members.chars) {
            entry["chars"] = Json::array();
            for (const PlacedCharacter& c : line.characters)
                entry["chars"].push_back(
                    {{"char", c.text}, {"location", Location(c.left, c.top, c.width, c.height)}});
        }
        words.push_back(std::move(entry));
    }
    return words;
}

std::vector<std::vector<std::size_t>> ParagraphRuns(const std::vector<RecognizedLine>& lines) {
    std::vector<std::vector<std::size_t>> runs;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines[i].paragraph < 0 || lines[i].paragraph != lines[i - 1].paragraph)
            runs.emplace_back();
        runs.back().push_back(i);
    }
    return runs;
}

Json ParagraphsResult(const std::vector<RecognizedLine>& lines) {
    Json paragraphs = Json::array();
    for (const auto& run : ParagraphRuns(lines))
        paragraphs.push_back({{"words_result_idx", run}});
    return paragraphs;
}

int PageDirection(const std::vector<RecognizedLine>& lines) {
    return lines.empty() ? -1 : lines.front().page_direction;
}

Json TablesResult(const std::vector<RecognizedTable>& tables,
                  const std::vector<RecognizedLine>* cell_contents) {
    Json list = Json::array();
    for (const RecognizedTable& table : tables)
        list.push_back(TableJson(table, cell_contents));
    return list;
}

Json CodesResult(const std::vector<RecognizedCode>& codes, bool location) {
    Json result = Json::array();
    for (const RecognizedCode& code : codes) {
        // A code's text line by line, as the API gives it.
        Json text = Json::array();
        std::size_t at = 0;
        for (;;) {
            const std::size_t end = std::min(code.text.find('\n', at), code.text.size());
            std::string line = code.text.substr(at, end - at);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            text.push_back(std::move(line));
            if (end == code.text.size())
                break;
            at = end + 1;
        }
        Json entry = {{"type", code.type}, {"text", std::move(text)}};
        if (location)
            entry["location"] = Location(code.left, code.top, code.width, code.height);
        result.push_back(std::move(entry));
    }
    return result;
}

std::string ReplyText(const Json& reply) {
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ocrgated
