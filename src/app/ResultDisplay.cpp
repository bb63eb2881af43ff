#include "ResultDisplay.h"

#include <QPlainTextEdit>
#include <QStringList>

namespace quillory {

void ShowResult(const QString& reply, const reply::Reading& reading, QPlainTextEdit* memo) {
    if (reading.refused) {
        memo->setPlainText(reply);
        return;
    }
    // Gathered first and set at once: an empty line stays a line of its own.
    QStringList shown;
    for (const reply::ResultLine& line : reading.lines)
        shown << QString::fromStdU16String(line.words) << QString();
    for (const reply::ResultCode& code : reading.codes)
        shown << CodeEntry(code) << QString();
    memo->setPlainText(shown.join(u'\n'));
}

QString CodeEntry(const reply::ResultCode& code) {
    QString label = QString::fromStdU16String(reply::CodeLabel(code));
    return label.replace(u'\r', u' ').replace(u'\n', u' ');
}

}  // namespace quillory
