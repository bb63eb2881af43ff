#include "ResultDisplay.h"

#include <QPlainTextEdit>
#include <QStringList>

#include "reply/reply.h"
#include "reply/result_lines.h"

namespace quillory {

QList<QList<int>> ResultParagraphs(const reply::ReplyPtr& document, int lines) {
    QList<QList<int>> paragraphs;
    QList<bool> seen(lines, false);
    int placed = 0;
    const reply::ReplyPtr found = reply::ArrayMember(document, u"paragraphs_result");
    for (std::size_t p = 0, n = reply::ElementCount(found); p < n; ++p) {
        const reply::ReplyPtr indices =
            reply::ArrayMember(reply::ElementAt(found, p), u"words_result_idx");
        QList<int>& paragraph = paragraphs.emplace_back();
        for (std::size_t i = 0, m = reply::ElementCount(indices); i < m; ++i) {
            const reply::ReplyPtr index = reply::ElementAt(indices, i);
            const std::int64_t line = index && index->kind() == reply::ReplyValue::Kind::Integer
                                          ? index->integer()
                                          : -1;
            if (line < 0 || line >= lines || seen[line])
                return ResultParagraphs(nullptr, lines);
            seen[line] = true;
            ++placed;
            paragraph.append(int(line));
        }
    }
    if (!found || placed != lines) {
        paragraphs.clear();
        for (int i = 0; i < lines; ++i)
            paragraphs.append(QList<int>{i});
    }
    return paragraphs;
}

std::vector<reply::ResultLine> ShowResult(QString reply, QPlainTextEdit* memo,
                                          QList<QList<int>>* paragraphs,
                                          std::vector<reply::ResultTable>* tables) {
    try {
        const reply::ReplyPtr document = reply::ParseReply(reply.toStdU16String());
        // From here on a failure leaves the memo empty: the reply is no longer kept.
        reply.clear();
        memo->clear();
        if (!document)
            return {};
        if (!reply::ArrayMember(document, u"words_result"))
            return {};
        // Gathered first and set at once: an empty line stays a line of its own.
        std::vector<reply::ResultLine> lines = reply::ResultLines(document);
        QStringList shown;
        for (const reply::ResultLine& line : lines)
            shown << QString::fromStdU16String(line.words) << QString();
        memo->setPlainText(shown.join(u'\n'));
        if (paragraphs)
            *paragraphs = ResultParagraphs(document, int(lines.size()));
        if (tables)
            *tables = reply::ResultTables(document);
        return lines;
    } catch (...) {
        memo->setPlainText(reply);
    }
    return {};
}

}  // namespace quillory
