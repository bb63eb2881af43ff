#include "ResultDisplay.h"

#include <QPlainTextEdit>
#include <QStringList>

#include "reply/reply.h"

namespace quillory {

void ShowResult(QString reply, QPlainTextEdit* memo) {
    try {
        const reply::ReplyPtr document = reply::ParseReply(reply.toStdU16String());
        // From here on a failure leaves the memo empty: the reply is no longer kept.
        reply.clear();
        memo->clear();
        if (!document)
            return;
        const reply::ReplyPtr lines = reply::ArrayMember(document, u"words_result");
        if (!lines)
            return;
        // Gathered first and set at once: an empty line stays a line of its own.
        QStringList shown;
        const std::size_t count = reply::ElementCount(lines);
        for (std::size_t i = 0; i < count; ++i) {
            const std::u16string words = reply::StringMember(reply::ElementAt(lines, i), u"words");
            shown << QString::fromStdU16String(words) << QString();
        }
        memo->setPlainText(shown.join(u'\n'));
    } catch (...) {
        memo->setPlainText(reply);
    }
}

}  // namespace quillory
