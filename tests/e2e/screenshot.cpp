// Saves a picture of the window, for the README and for looking at the window as a user
// does: an ocrgated of its own, a rendered picture chosen through the file dialog, 识别
// pressed, the window grabbed.
// Usage: quillory_screenshot OUTPUT.png [result|busy|failure|capture|menu|small|small-web|drop]
// (under a display, e.g. xvfb-run). `result` marks the second line and its box.

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <unistd.h>
#include <cstdio>

#include "app/ErrorBox.h"
#include "app/M_Quillory.h"
#include "app/ResultMemo.h"
#include "ocrgate/ocrgate.h"
#include "picture_server.h"
#include "pictures/file_formats.h"
#include "support/service_process.h"
#include "test_support.h"

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [result|busy|failure|capture|menu|small|small-web|drop]\n",
                     argv[0]);
        return 2;
    }
    const QString scene = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("result");
    pictures::RegisterPictureKinds();
    ocrgate::RegisterOcrgateSoap();
    // The browser panes refuse to start as root with their sandbox on.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    quillory::InstallQtTranslations();

    testing_support::ServiceProcess service(
        OCRGATED_PATH, testing_support::EphemeralArgs(1, {"--allow-private-urls"}));
    testing_support::PictureServer stall(testing_support::PictureServer::Mode::Stall);
    QString endpoint = QString::fromStdString(testing_support::DeadEndpoint());
    if (scene == u"busy") {
        stall.Listen();
        endpoint = stall.Url(QStringLiteral("/ocrgate/ocrgate.asmx?WSDL"));
    } else if (scene != u"failure") {
        if (!service.WaitUntilHealthy()) {
            std::fprintf(stderr, "ocrgated did not start:\n%s\n", service.Output().c_str());
            return 1;
        }
        endpoint = QString::fromStdString(service.Endpoint());
    }
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("发票.png"));
    testing_support::RenderText(
        {QStringLiteral("增值税普通发票"), QStringLiteral("购买方名称：青禾文具有限公司"),
         QStringLiteral("金额合计：¥ 1,280.00"), QStringLiteral("开票日期：2026年12月8日")},
        48)
        .save(picture, "PNG");

    TForm1 form(TForm1::Settings{endpoint, QStringLiteral("about:blank"), dir.path(),
                                 TForm1::Settings::Capture::ByPlatform,
                                 dir.filePath(QStringLiteral("quillory.ini"))});
    form.show();
    QSignalSpy shown(&form, &TForm1::recognitionFinished);
    QTimer::singleShot(500, &form, [&] {
        testing_support::ChooseInDialog(form.OpenDialog(), picture);
        form.edt_imgPropertiesButtonClick();
        form.cxButton1Click();
    });
    if (scene == u"busy") {
        QTest::qWait(1500);
    } else if (!shown.wait(150000)) {
        std::fprintf(stderr, "no recognition result\n");
        return 1;
    }
    QWidget* target = &form;
    bool wholeScreen = false;
    if (scene == u"menu") {
        // The result column's right-click menu, over the window.
        auto* memo = form.findChild<quillory::ResultMemo*>(QStringLiteral("cxMemo1"));
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(200, 300),
                                memo->viewport()->mapToGlobal(QPoint(200, 300)));
        QApplication::sendEvent(memo->viewport(), &click);
        wholeScreen = true;
    } else if (scene == u"small" || scene == u"small-web") {
        // On a 1024 x 600 screen the window opens as large as the screen; every control shows.
        if (scene == u"small-web")
            form.findChild<QTabWidget*>(QStringLiteral("cxPageControl1"))->setCurrentIndex(1);
        else
            form.findChild<quillory::ResultMemo*>(QStringLiteral("cxMemo1"))->SelectLine(1);
        wholeScreen = true;
    } else if (scene == u"drop") {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("说明.txt")))});
        QFile(dir.filePath(QStringLiteral("说明.txt"))).open(QIODevice::WriteOnly);
        QWidget* pane = form.findChild<QWidget*>(QStringLiteral("Panel2"));
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(pane, &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(pane, &drop);
    } else if (scene == u"result") {
        form.findChild<quillory::ResultMemo*>(QStringLiteral("cxMemo1"))->SelectLine(1);
    } else if (scene == u"capture") {
        form.StartCapture();
        QTest::qWait(1500);
        target = form.CaptureOverlay();
        if (!target)
            return 1;
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(300, 200));
        QTest::mouseMove(target, QPoint(700, 420));
    }
    QTest::qWait(500);  // let the last paint land
    const QPixmap shot =
        target->screen()->grabWindow(target == &form && !wholeScreen ? form.winId() : 0);
    if (!shot.save(QString::fromLocal8Bit(argv[1])))
        return 1;
    std::printf("saved %s (%dx%d)\n", argv[1], shot.width(), shot.height());
    return 0;
}
