// A screen region as the picture to recognise: the window steps aside, the user drags a
// rectangle over a still of the screen, and the region is recognised like a pasted picture.

#include <QScreen>
#include <QTimer>

#include "ButtonEdit.h"
#include "CaptureOverlay.h"
#include "ErrorBox.h"
#include "M_Quillory.h"
#include "PictureView.h"
#include "ScreenGrab.h"
#include "Texts.h"

#include <QTabWidget>

namespace texts = quillory::texts;
using quillory::ScreenGrab;

namespace {

// Long enough for the window manager to take the hidden window off the screen.
constexpr int kHideDelayMs = 250;

ScreenGrab::Route RouteFor(TForm1::Settings::Capture capture) {
    switch (capture) {
        case TForm1::Settings::Capture::Screen:
            return ScreenGrab::Route::Screen;
        case TForm1::Settings::Capture::Portal:
            return ScreenGrab::Route::Portal;
        default:
            return ScreenGrab::DefaultRoute();
    }
}

}  // namespace

void TForm1::StartCapture() {
    if (captureUnderWay_)
        return;  // one capture at a time
    captureUnderWay_ = true;
    hide();
    QTimer::singleShot(kHideDelayMs, this, [this] {
        QScreen* where = screen();
        auto* grab = new ScreenGrab(RouteFor(settings_.capture), where, this);
        connect(grab, &ScreenGrab::failed, this, [this, grab](const QString& reason) {
            grab->deleteLater();
            EndCapture(texts::kCaptureFailed + reason);
        });
        connect(grab, &ScreenGrab::grabbed, this, [this, grab, where](const QImage& shot) {
            grab->deleteLater();
            auto* overlay = new quillory::CaptureOverlay(shot);
            overlay_ = overlay;
            connect(overlay, &quillory::CaptureOverlay::chosen, this, &TForm1::TakeCapture);
            connect(overlay, &quillory::CaptureOverlay::cancelled, this,
                    [this] { EndCapture(texts::kCaptureCancelled); });
            connect(overlay, &QObject::destroyed, this, [this] { overlay_ = nullptr; });
            if (where)
                overlay->setGeometry(where->geometry());
            overlay->showFullScreen();
            overlay->activateWindow();
            overlay->setFocus();
        });
        grab->Start();
    });
}

void TForm1::EndCapture(const QString& status) {
    captureUnderWay_ = false;
    show();
    raise();
    activateWindow();
    if (!status.isEmpty())
        ShowStatus(status);
}

void TForm1::TakeCapture(const QImage& region) {
    cxPageControl1->setCurrentWidget(cxTabSheet1);
    cxImage1->setVisible(true);
    cxImage1->SetImage(region, texts::kCapturedPicture);
    EndCapture(QString());
    capturing_ = true;
    PictureArrived(recogniseCaptures_);
    capturing_ = false;
}
