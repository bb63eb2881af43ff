// Time from releasing the mouse on a captured screen region to its recognised lines shown
// (crop, recognition against a real ocrgated, display), against the same text recognised
// from a picture file with 识别, run alternately; prints the ratio of the medians. Run it
// under a display (xvfb-run) for the X11 screen route; offscreen Qt grabs its own windows.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "app/ResultMemo.h"
#include "contract/ocrgate.h"
#include "pictures/file_formats.h"
#include "support/service_process.h"
#include "test_support.h"
#include "support/median.h"

namespace {

constexpr int kRuns = 5;
const QStringList kLines = {QStringLiteral("图片文字识别"), QStringLiteral("Quillory 2026")};
const QPoint kTextAt(120, 90);

// Milliseconds until the window has shown its result; negative when the text is not right.
double UntilShown(TForm1& form, const std::function<void()>& start) {
    QSignalSpy finished(&form, &TForm1::recognitionFinished);
    QElapsedTimer clock;
    clock.start();
    start();
    if (!finished.wait(150000))
        return -1;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    const auto* memo = form.findChild<quillory::ResultMemo*>(QStringLiteral("cxMemo1"));
    if (memo->RecognisedText() != kLines.join(u'\n')) {
        std::fprintf(stderr, "recognised: %s\n", qPrintable(memo->RecognisedText()));
        return -1;
    }
    return elapsed;
}

double Capture(TForm1& form, const QImage& text) {
    form.StartCapture();
    QElapsedTimer wait;
    wait.start();
    while (!(form.CaptureOverlay() && form.CaptureOverlay()->isVisible()) && wait.elapsed() < 10000)
        QTest::qWait(20);
    QWidget* overlay = form.CaptureOverlay();
    if (!overlay)
        return -1;
    QTest::qWait(100);
    const double scale = double(overlay->screen()->size().width()) / overlay->width();
    const QPoint from = (kTextAt - QPoint(10, 10)) / scale;
    const QPoint to = (kTextAt + QPoint(text.width(), text.height()) + QPoint(10, 10)) / scale;
    QTest::mousePress(overlay, Qt::LeftButton, {}, from);
    QTest::mouseMove(overlay, to);
    return UntilShown(form, [&] { QTest::mouseRelease(overlay, Qt::LeftButton, {}, to); });
}

}  // namespace

int main(int argc, char* argv[]) {
    pictures::RegisterPictureKinds();
    ocrgate::RegisterOcrgateSoap();
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
    const QImage text = testing_support::RenderText(kLines);
    const QString file = dir.filePath(QStringLiteral("lines.png"));
    text.save(file);

    // The text on the screen, in a window of its own.
    QLabel shown;
    shown.setPixmap(QPixmap::fromImage(text));
    shown.setWindowFlags(Qt::FramelessWindowHint);
    shown.setGeometry(QRect(kTextAt, text.size()));
    shown.show();
    if (!QTest::qWaitForWindowExposed(&shown))
        return 1;

    TForm1::Settings settings{QString::fromStdString(service.Endpoint()), QStringLiteral("about:blank"), dir.path()};
    settings.capture = TForm1::Settings::Capture::Screen;
    TForm1 form(settings);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    auto* view = form.findChild<quillory::PictureView*>(QStringLiteral("cxImage1"));

    std::vector<double> captured, fromFile;
    UntilShown(form, [&] {  // warm the service's engine for both alike
        view->LoadFromFile(file);
        form.cxButton1Click();
    });
    for (int run = 0; run < kRuns; ++run) {
        const double c = Capture(form, text);
        view->LoadFromFile(file);
        const double f = UntilShown(form, [&] { form.cxButton1Click(); });
        if (c < 0 || f < 0) {
            std::fprintf(stderr, "a recognition did not show the text\n");
            return 1;
        }
        captured.push_back(c);
        fromFile.push_back(f);
        std::printf("run %d: capture %.1f ms, file %.1f ms\n", run + 1, c, f);
    }
    const double c = quillory::testing::Median(captured), f = quillory::testing::Median(fromFile);
    std::printf("median: capture to first line %.1f ms, file recognition %.1f ms\n", c, f);
    std::printf("ratio capture_vs_file_recognition=%.3f\n", c / f);
    return 0;
}
