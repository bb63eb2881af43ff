// Saves a picture of the window after a local recognition: an ocrgated of its own, a
// rendered picture chosen through the file dialog, 识别 pressed, the window grabbed.
// Usage: quillory_screenshot OUTPUT.png (under a display, e.g. xvfb-run).

#include <QApplication>
#include <QFileDialog>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <unistd.h>
#include <cstdio>

#include "M_Quillory.h"
#include "ocrgate/ocrgate.h"
#include "pictures/file_formats.h"
#include "support/service_process.h"
#include "test_support.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    pictures::RegisterPictureKinds();
    ocrgate::RegisterOcrgateSoap();
    // The browser panes refuse to start as root with their sandbox on.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);

    testing_support::ServiceProcess service(
        OCRGATED_PATH, testing_support::EphemeralArgs(1, {"--allow-private-urls"}));
    if (!service.WaitUntilHealthy()) {
        std::fprintf(stderr, "ocrgated did not start:\n%s\n", service.Output().c_str());
        return 1;
    }
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("发票.png"));
    testing_support::RenderText(
        {QStringLiteral("增值税普通发票"), QStringLiteral("购买方名称：青禾文具有限公司"),
         QStringLiteral("金额合计：¥ 1,280.00"), QStringLiteral("开票日期：2026年12月8日")},
        48)
        .save(picture, "PNG");

    TForm1 form(TForm1::Settings{QString::fromStdString(service.Endpoint()),
                                 QStringLiteral("about:blank"), dir.path()});
    form.show();
    QSignalSpy shown(&form, &TForm1::recognitionFinished);
    QTimer::singleShot(500, &form, [&] {
        testing_support::ChooseInDialog(form.OpenDialog(), picture);
        form.edt_imgPropertiesButtonClick();
        form.cxButton1Click();
    });
    if (!shown.wait(150000)) {
        std::fprintf(stderr, "no recognition result\n");
        return 1;
    }
    QTest::qWait(500);  // let the last paint land
    const QPixmap shot = form.screen()->grabWindow(form.winId());
    if (!shot.save(QString::fromLocal8Bit(argv[1])))
        return 1;
    std::printf("saved %s (%dx%d)\n", argv[1], shot.width(), shot.height());
    return 0;
}
