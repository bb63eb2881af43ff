#include "reply/table_text.h"

#include "base/utf.h"

namespace reply {

std::string HtmlEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string TableHtml(const ResultTable& table) {
    std::string html = "<table>\n";
    for (int r = 0; r < table.rows; ++r) {
        html += "<tr>";
        for (const ResultCell& cell : table.cells) {
            if (cell.row != r)
                continue;
            html += "<td";
            if (cell.rows > 1)
                html += " rowspan=\"" + std::to_string(cell.rows) + "\"";
            if (cell.columns > 1)
                html += " colspan=\"" + std::to_string(cell.columns) + "\"";
            html += ">" + HtmlEscaped(quillory::Utf16ToUtf8(cell.words)) + "</td>";
        }
        html += "</tr>\n";
    }
    return html + "</table>\n";
}

std::u16string TableTabbed(const ResultTable& table) {
    std::u16string text;
    for (const auto& row : table.Grid()) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += u'\t';
            for (char16_t ch : row[c])
                text += ch == u'\t' || ch == u'\n' || ch == u'\r' ? u' ' : ch;
        }
        text += u'\n';
    }
    return text;
}

}  // namespace reply
