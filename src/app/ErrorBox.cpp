#include "ErrorBox.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "AppErrors.h"

namespace quillory {

bool InstallQtTranslations() {
    // Lives as long as the application: Qt keeps only a pointer.
    static QTranslator* const texts = new QTranslator(QCoreApplication::instance());
    if (!texts->load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(texts);
}

QString ApplicationTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().section(u'.', 0, 0);
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

QString MessageOf(const std::exception_ptr& error) {
    if (IsSilentAbort(error))
        return {};
    return DescribeError(error);
}

void ShowError(const std::exception_ptr& error) {
    const QString message = MessageOf(error);
    if (message.isNull())
        return;
    QMessageBox::critical(QApplication::activeWindow(), ApplicationTitle(), ErrorBoxText(message));
}

void RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        ShowError(std::current_exception());
    }
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowError(std::current_exception());
        return false;
    }
}

}  // namespace quillory
