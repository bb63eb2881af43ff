// Saves a picture of the window, for the README and for looking at the window as a user
// does: an ocrgated of its own, a rendered picture chosen through the file dialog, 识别
// pressed, the window grabbed.
// Usage: quillory_screenshot OUTPUT.png [result|busy|failure|capture|menu|small|small-web|drop|
// table] (under a display, e.g. xvfb-run). `result` marks the second line and its box; `table`
// reads a ruled price list, copies it with 复制为表格 and also saves the copied HTML as a
// word processor or spreadsheet draws it, beside OUTPUT as OUTPUT-pasted.png. A picture file
// in place of the scene is read as the window reads any picture.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QtTest/QTest>

#include <unistd.h>
#include <cstdio>

#include "app/ErrorBox.h"
#include "app/M_Quillory.h"
#include "app/ResultMemo.h"
#include "contract/ocrgate.h"
#include "picture_server.h"
#include "pictures/file_formats.h"
#include "support/service_process.h"
#include "test_support.h"

namespace {

// A ruled price list with a title above it.
QImage PriceList() {
    const QStringList rows[] = {{"品名", "单价", "数量", "金额"},
                                {"苹果", "5.50", "3", "16.50"},
                                {"香蕉", "3.20", "5", "16.00"},
                                {"橙子", "6.80", "2", "13.60"},
                                {"合计", "", "10", "46.10"}};
    const int widths[] = {200, 240, 200, 180}, left = 40, top = 110, height = 60;
    QImage image(900, 460, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(26);
    p.setFont(font);
    p.drawText(QPoint(left, 70), QStringLiteral("本月水果销售表"));
    p.setPen(QPen(Qt::black, 2));
    for (int r = 0; r <= 5; ++r)
        p.drawLine(left, top + r * height, left + 820, top + r * height);
    for (int c = 0, x = left; c <= 4; x += c < 4 ? widths[c] : 0, ++c)
        p.drawLine(x, top, x, top + 5 * height);
    for (int r = 0; r < 5; ++r)
        for (int c = 0, x = left; c < 4; x += widths[c], ++c)
            p.drawText(QPoint(x + 16, top + r * height + 40), rows[r][c]);
    return image;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr,
                     "usage: %s OUTPUT.png "
                     "[result|busy|failure|capture|menu|small|small-web|drop|table|PICTURE]\n",
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
    const bool own = QFileInfo(scene).isFile();
    const QString picture = own ? QFileInfo(scene).absoluteFilePath()
                                : dir.filePath(QStringLiteral("发票.png"));
    if (own)
        std::printf("reading %s\n", qPrintable(picture));
    else if (scene == u"table")
        PriceList().save(picture, "PNG");
    else
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
    } else if (scene == u"table") {
        auto* memo = form.findChild<quillory::ResultMemo*>(QStringLiteral("cxMemo1"));
        memo->CopyTables();
        QTextDocument pasted;
        pasted.setDefaultStyleSheet(QStringLiteral("td { padding: 4px 10px; }"));
        pasted.setHtml(QApplication::clipboard()->mimeData()->html().replace(
            QStringLiteral("<table>"), QStringLiteral("<table border=\"1\" cellspacing=\"0\">")));
        pasted.setTextWidth(600);
        QImage sheet(pasted.size().toSize() + QSize(20, 20), QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        painter.translate(10, 10);
        pasted.drawContents(&painter);
        painter.end();
        const QString path = QString::fromLocal8Bit(argv[1]).replace(QStringLiteral(".png"),
                                                                     QStringLiteral("-pasted.png"));
        if (!sheet.save(path))
            return 1;
        std::printf("saved %s\n", qPrintable(path));
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
