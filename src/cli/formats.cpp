#include "cli/formats.h"

#include <cstdio>

#include "base/line_join.h"
#include "base/utf.h"

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

std::string TextLines(const PictureResult& result) {
    std::string text;
    for (const reply::ResultLine& line : result.lines)
        text += quillory::Utf16ToUtf8(line.words) + "\n";
    return text;
}

std::string MarkdownText(const PictureResult& result) {
    std::string text;
    for (const std::vector<std::size_t>& paragraph : result.paragraphs) {
        std::vector<std::string> words;
        for (std::size_t i : paragraph)
            words.push_back(quillory::Utf16ToUtf8(result.lines[i].words));
        const std::string joined = quillory::JoinLines({words.begin(), words.end()});
        if (!joined.empty())
            text += (text.empty() ? "" : "\n") + Escaped(joined) + "\n";
    }
    return text;
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

std::string TsvRows(const std::string& source, int page, const PictureResult& result) {
    std::string rows;
    int number = 0;
    for (const reply::ResultLine& line : result.lines) {
        rows += Field(source) + '\t' + std::to_string(page) + '\t' + std::to_string(++number);
        if (line.location) {
            for (double v : {line.location->left, line.location->top, line.location->width,
                             line.location->height}) {
                rows += '\t' + Number(v, 0);
            }
        } else {
            rows += "\t\t\t\t";
        }
        rows += '\t' + (line.confidence ? Number(*line.confidence, 4) : std::string());
        rows += '\t' + Field(quillory::Utf16ToUtf8(line.words)) + '\n';
    }
    return rows;
}

}  // namespace cli
