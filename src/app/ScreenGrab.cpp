#include "ScreenGrab.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPixmap>
#include <QRandomGenerator>
#include <QScreen>
#include <QUrl>

namespace quillory {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

}  // namespace

ScreenGrab::Route ScreenGrab::DefaultRoute() {
    return QGuiApplication::platformName().startsWith(u"wayland") ? Route::Portal : Route::Screen;
}

ScreenGrab::ScreenGrab(Route route, QScreen* screen, QObject* parent)
    : QObject(parent), route_(route), screen_(screen) {}

void ScreenGrab::Start() {
    if (route_ == Route::Portal) {
        AskPortal();
        return;
    }
    QScreen* screen = screen_ ? screen_ : QGuiApplication::primaryScreen();
    const QImage shot = screen ? screen->grabWindow(0).toImage() : QImage();
    if (shot.isNull())
        emit failed(QStringLiteral("无法读取屏幕"));
    else
        emit grabbed(shot);
}

void ScreenGrab::AskPortal() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        emit failed(QStringLiteral("没有会话总线：") + bus.lastError().message());
        return;
    }
    // The portal answers on a request object whose path follows from our name and a token;
    // listening before asking means the answer cannot slip past.
    const QString token = QStringLiteral("quillory%1").arg(QRandomGenerator::global()->generate());
    QString sender = bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    requestPath_ = kPortalPath + QStringLiteral("/request/") + sender + u'/' + token;
    if (!bus.connect(kPortalService, requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
                     QStringLiteral("Response"), this, SLOT(OnPortalResponse(uint, QVariantMap)))) {
        emit failed(QStringLiteral("桌面门户无法截图：") + bus.lastError().message());
        return;
    }

    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false},
                        {QStringLiteral("modal"), false}};
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError())
            emit failed(QStringLiteral("桌面门户无法截图：") + reply.error().message());
    });
}

void ScreenGrab::OnPortalResponse(uint response, const QVariantMap& results) {
    QDBusConnection::sessionBus().disconnect(
        kPortalService, requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
        QStringLiteral("Response"), this, SLOT(OnPortalResponse(uint, QVariantMap)));
    if (response != 0) {
        emit failed(QStringLiteral("截图已取消"));
        return;
    }
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    const QImage shot(uri.toLocalFile());
    if (shot.isNull())
        emit failed(QStringLiteral("无法读取门户给出的截图：") + uri.toString());
    else
        emit grabbed(shot);
}

}  // namespace quillory
