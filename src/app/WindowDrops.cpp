// Drops and Esc on the window: a picture (file, web address or image data) anywhere on the local
// tab loads as the … button loads a file; a web address on the web tab goes to its field. The
// same filter hears when a window manager has framed the window.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QWindow>

#include "ButtonEdit.h"
#include "ErrorBox.h"
#include "M_Quillory.h"
#include "PictureDrop.h"
#include "PictureView.h"
#include "Texts.h"
#include "pictures/file_formats.h"

namespace texts = quillory::texts;
using quillory::DropContent;

namespace {

// A web picture larger than this is not a picture anyone means to recognise.
constexpr qint64 kMaxDownload = 32 * 1024 * 1024;

}  // namespace

void TForm1::AcceptDrops() {
    cxTabSheet1->setAcceptDrops(true);
    cxTabSheet2->setAcceptDrops(true);
    // The controls with drop handling of their own (fields, memos, browser panes) see a
    // picture before their tab does: the application hands every drop to the window first.
    qApp->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Resize && (watched == Panel1 || watched == Panel4))
        ReflowTopRow(static_cast<QWidget*>(watched));
    // The window manager's frame shows in the margins by the time the window is exposed
    // or moved; the widget itself hears of neither.
    if (awaitingFrame_ &&
        (type == QEvent::Expose || type == QEvent::Move || type == QEvent::Resize) &&
        watched == static_cast<QObject*>(windowHandle()))
        FrameArrived();
    // Esc calls a recognition off from any control, the address field included, which
    // keeps Esc from the window's shortcuts.
    if (type == QEvent::KeyPress && !running_.empty() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            CancelRecognitions();
            return true;
        }
    }
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* tab = nullptr;
    for (QWidget* page : {cxTabSheet1, cxTabSheet2}) {
        if (widget && (widget == page || page->isAncestorOf(widget)))
            tab = page;
    }
    if (!tab)
        return QWidget::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const DropContent content = quillory::ReadDrop(drop->mimeData(), tab == cxTabSheet2);
    if (content.kind == DropContent::Kind::Ignored)
        return QWidget::eventFilter(watched, event);
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop)
        quillory::RunGuarded([&] { TakeDrop(tab, content); });
    return true;
}

void TForm1::TakeDrop(QWidget* tab, const DropContent& content) {
    using Kind = DropContent::Kind;
    if (content.kind == Kind::Refused) {
        ShowStatus(texts::kDropRefused + content.reason);
        return;
    }
    if (tab == cxTabSheet2) {
        if (content.kind != Kind::WebAddress) {
            ShowStatus(texts::kDropRefused + texts::kWebTabTakesAddresses);
            return;
        }
        edt_Url->setText(content.address.toString());
        edt_Url->setCursorPosition(0);
        return;
    }
    switch (content.kind) {
        case Kind::PictureFile:
            LoadPictureFile(content.path);
            PictureArrived(recogniseDrops_);
            break;
        case Kind::Image:
            cxImage1->setVisible(true);
            cxImage1->SetImage(content.image, texts::kDroppedPicture);
            // Nothing for the browser pane to show: the dropped picture is.
            Panel7->setVisible(false);
            PictureArrived(recogniseDrops_);
            break;
        case Kind::WebAddress:
            Download(content.address);
            break;
        default:
            break;
    }
}

void TForm1::Download(const QUrl& address) {
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(address);
    request.setTransferTimeout(30000);
    QNetworkReply* reply = network_->get(request);
    ShowStatus(texts::kDownloading + address.toString());
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxDownload)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, address] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            ShowStatus(texts::kDownloadFailed + reply->errorString(), reply->errorString());
            return;
        }
        if (!downloads_)
            downloads_ = std::make_unique<QTemporaryDir>();
        // Named so that the picture holder finds its kind: by the address, else by the type.
        QString name = QFileInfo(address.path()).fileName();
        if (!pictures::FileFormats().Find(pictures::PictureExtension(name))) {
            const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
            name = QStringLiteral("picture.") + (type.contains(u"png")   ? QStringLiteral("png")
                                                 : type.contains(u"bmp") ? QStringLiteral("bmp")
                                                                         : QStringLiteral("jpg"));
        }
        QFile file(downloads_->filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(reply->readAll()) < 0) {
            ShowStatus(texts::kDownloadFailed + file.errorString());
            return;
        }
        file.close();
        ShowStatus(QString());
        quillory::RunGuarded([&] {
            LoadPictureFile(file.fileName());
            PictureArrived(recogniseDrops_);
        });
    });
}
