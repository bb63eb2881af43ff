#pragma once
// A picture of the whole screen. On X11 Qt reads the screen itself; a Wayland client may
// not, so there the desktop portal's Screenshot request takes it and hands back a file.

#include <QImage>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QScreen;

namespace quillory {

class ScreenGrab : public QObject {
    Q_OBJECT
  public:
    enum class Route { Screen, Portal };
    // The portal where the platform keeps clients from reading the screen, else the screen.
    static Route DefaultRoute();

    ScreenGrab(Route route, QScreen* screen, QObject* parent = nullptr);

    // Starts the grab; `grabbed` or `failed` follows, once.
    void Start();

  signals:
    void grabbed(const QImage& shot);
    void failed(const QString& reason);

  private slots:
    void OnPortalResponse(uint response, const QVariantMap& results);

  private:
    void AskPortal();

    Route route_;
    QScreen* screen_;
    QString requestPath_;
};

}  // namespace quillory
