#include "cli/formats.h"

#include <algorithm>
#include <cstdio>

#include "base/line_join.h"
#include "base/utf.h"
#include "reply/table_text.h"

namespace cli {
namespace {

// Tabs and line breaks would break the row; they become spaces.
std::string Field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

std::string Number(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// A heading, quote, list item or rule mark at a paragraph's start, escaped so that the
// paragraph stays text.
std::string Escaped(std::string text) {
    if (text.find_first_of("#>-+*=_|`") == 0)
        return "\\" + text;
    const std::size_t digits = text.find_first_not_of("0123456789");
    if (digits > 0 && digits != std::string::npos && (text[digits] == '.' || text[digits] == ')'))
        text.insert(digits, "\\");
    return text;
}

}  // namespace

std::string CodeText(const reply::ResultCode& code) {
    return quillory::Utf16ToUtf8(reply::CodeLabel(code));
}

std::string TextLines(const PictureResult& result) {
    std::string text;
    for (const reply::ResultLine& line : result.reading.lines)
        text += quillory::Utf16ToUtf8(line.words) + "\n";
    for (const reply::ResultCode& code : result.reading.codes)
        text += CodeText(code) + "\n";
    return text;
}

namespace {

std::string Utf8(const std::u16string& text) {
    return quillory::Utf16ToUtf8(text);
}

// A cell's text on one line, its pipes escaped.
std::string MarkdownCell(const std::u16string& words) {
    std::string text;
    for (char c : Field(Utf8(words)))
        text += c == '|' ? std::string("\\|") : std::string(1, c);
    return text;
}

std::string MarkdownTable(const reply::ResultTable& table) {
    const auto grid = table.Grid();
    std::string text;
    for (std::size_t r = 0; r < grid.size(); ++r) {
        text += "|";
        for (const std::u16string& cell : grid[r])
            text += " " + MarkdownCell(cell) + " |";
        text += "\n";
        if (r == 0) {
            text += "|";
            for (std::size_t c = 0; c < grid[r].size(); ++c)
                text += " --- |";
            text += "\n";
        }
    }
    return text;
}

// The picture's blocks in reading order: each paragraph's text, and each table once.
template <typename Paragraph, typename Table>
void ForEachBlock(const PictureResult& result, Paragraph paragraph_block, Table table_block) {
    const reply::Reading& reading = result.reading;
    for (const reply::ReadingBlock& block : reading.Blocks()) {
        if (block.table) {
            table_block(reading.tables[*block.table]);
            continue;
        }
        std::vector<std::string> words;
        for (std::size_t i : block.lines)
            words.push_back(Utf8(reading.lines[i].words));
        paragraph_block(quillory::JoinLines({words.begin(), words.end()}));
    }
}

// A CSV field, quoted where it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::string MarkdownText(const PictureResult& result) {
    std::string text;
    ForEachBlock(
        result,
        [&](const std::string& paragraph) {
            if (!paragraph.empty())
                text += (text.empty() ? "" : "\n") + Escaped(paragraph) + "\n";
        },
        [&](const reply::ResultTable& table) {
            text += (text.empty() ? "" : "\n") + MarkdownTable(table);
        });
    // The codes as a list after the text, each on one line.
    if (!result.reading.codes.empty())
        text += text.empty() ? "" : "\n";
    for (const reply::ResultCode& code : result.reading.codes)
        text += "- " + Field(CodeText(code)) + "\n";
    return text;
}

std::string HtmlBody(const PictureResult& result) {
    std::string html;
    ForEachBlock(
        result,
        [&](const std::string& paragraph) {
            if (!paragraph.empty())
                html += "<p>" + reply::HtmlEscaped(paragraph) + "</p>\n";
        },
        [&](const reply::ResultTable& table) { html += reply::TableHtml(table); });
    if (result.reading.codes.empty())
        return html;
    html += "<ul>\n";
    for (const reply::ResultCode& code : result.reading.codes)
        html += "<li>" + reply::HtmlEscaped(CodeText(code)) + "</li>\n";
    return html + "</ul>\n";
}

std::string HtmlHead() {
    return "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><style>table{border-collapse:"
           "collapse}td{border:1px solid #888;padding:2px 6px}</style></head>\n<body>\n";
}

std::string HtmlFoot() {
    return "</body>\n</html>\n";
}

std::vector<std::string> CsvTables(const PictureResult& result) {
    std::vector<std::string> tables;
    for (const reply::ResultTable& table : result.reading.tables) {
        std::string csv;
        // A merged cell's text in every place it covers, so that sorting or filtering rows
        // keeps it with each.
        std::vector<std::vector<std::string>> grid(
            std::size_t(table.rows), std::vector<std::string>(std::size_t(table.columns)));
        for (const reply::ResultCell& cell : table.cells)
            for (int r = cell.row; r < cell.row + cell.rows; ++r)
                for (int c = cell.column; c < cell.column + cell.columns; ++c)
                    grid[std::size_t(r)][std::size_t(c)] = Utf8(cell.words);
        for (const auto& row : grid) {
            for (std::size_t c = 0; c < row.size(); ++c)
                csv += (c ? "," : "") + CsvField(row[c]);
            csv += "\r\n";
        }
        tables.push_back(std::move(csv));
    }
    return tables;
}

std::string JsonLine(const PictureResult& result) {
    // Line breaks are whitespace in JSON, so joining the reply's lines keeps its meaning.
    std::string text = result.reply;
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text + "\n";
}

std::string TsvHeader() {
    return "source\tpage\tline\tleft\ttop\twidth\theight\tconfidence\ttext\n";
}

namespace {

std::string TsvRow(const std::string& source, int page, int number,
                   const std::optional<reply::LineLocation>& location,
                   const std::optional<double>& confidence, const std::string& text) {
    std::string row = Field(source) + '\t' + std::to_string(page) + '\t' + std::to_string(number);
    if (location) {
        for (double v : {location->left, location->top, location->width, location->height})
            row += '\t' + Number(v, 0);
    } else {
        row += "\t\t\t\t";
    }
    row += '\t' + (confidence ? Number(*confidence, 4) : std::string());
    return row + '\t' + Field(text) + '\n';
}

}  // namespace

std::string TsvRows(const std::string& source, int page, const PictureResult& result) {
    std::string rows;
    int number = 0;
    for (const reply::ResultLine& line : result.reading.lines)
        rows += TsvRow(source, page, ++number, line.location, line.confidence,
                       quillory::Utf16ToUtf8(line.words));
    // The codes after the lines, numbered on from them, their type before their text.
    for (const reply::ResultCode& code : result.reading.codes)
        rows += TsvRow(source, page, ++number, code.location, std::nullopt, CodeText(code));
    return rows;
}

}  // namespace cli
