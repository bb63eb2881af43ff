#include "BrowserPane.h"

#include <QUrl>
#include <QWebEngineSettings>

#include "AppErrors.h"

namespace quillory {

BrowserPane::BrowserPane(QWidget* parent) : QWebEngineView(parent) {
    settings()->setDefaultTextEncoding(QStringLiteral("GBK"));
}

void BrowserPane::Navigate(const QString& address) {
    // Plain paths become file addresses; anything else is read as a web address.
    const QUrl url = QUrl::fromUserInput(address, QString(), QUrl::AssumeLocalFile);
    if (address.trimmed().isEmpty() || !url.isValid())
        throw ENavigationError(address);
    lastAddress_ = address;
    ++navigations_;
    load(url);
}

}  // namespace quillory
