#include "ResultDisplay.h"

#include <QPlainTextEdit>
#include <QStringList>

#include "reply/reply.h"
#include "reply/result_lines.h"

namespace quillory {

std::vector<reply::ResultLine> ShowResult(QString reply, QPlainTextEdit* memo) {
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
        return lines;
    } catch (...) {
        memo->setPlainText(reply);
    }
    return {};
}

}  // namespace quillory
