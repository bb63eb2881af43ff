// Both recognitions end to end: the window, the SOAP client and a real ocrgated, with
// pictures the test renders itself.

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/BrowserPane.h"
#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "contract/ocrgate.h"
#include "picture_server.h"
#include "pictures/file_formats.h"
#include "test_support.h"
#include "window_fixture.h"

using testing_support::Child;

namespace {

const QStringList kFirstPicture = {QStringLiteral("图片文字识别"), QStringLiteral("Quillory 2026")};
const QStringList kPastedPicture = {QStringLiteral("粘贴的图片")};
const QStringList kWebPicture = {QStringLiteral("网络图片测试")};

// The memo text the window shows for these recognised lines.
QString MemoFor(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\n\n");
    text.chop(1);
    return text;
}

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool WaitForRecognition(TForm1& form) {
    QSignalSpy finished(&form, &TForm1::recognitionFinished);
    return finished.wait(150000);
}

}  // namespace

class RecognitionTest : public WindowAgainstService {
    Q_OBJECT
  private slots:
    void initTestCase();
    void localPictureFillsTheMemo();
    void pastedPictureIsWhatIsSent();
    void webPictureFillsTheMemo();
    void serviceDownKeepsTheMemo();
    void stalledServiceKeepsTheWindowResponsive();
};

void RecognitionTest::initTestCase() {
    StartService();
}

void RecognitionTest::localPictureFillsTheMemo() {
    TForm1 form(SettingsFor(QString::fromStdString(service_.Endpoint())));
    const QString path = dir_.filePath("lines.png");
    QVERIFY(testing_support::RenderText(kFirstPicture).save(path, "PNG"));
    testing_support::ChooseInDialog(form.OpenDialog(), path);
    form.edt_imgPropertiesButtonClick();

    form.cxButton1Click();
    QVERIFY(!Child<QPushButton>(&form, "cxButton1")->isEnabled());
    QVERIFY(Child<QWidget>(&form, "Panel7")->isHidden());
    QVERIFY(WaitForRecognition(form));
    QCOMPARE(Child<QPlainTextEdit>(&form, "cxMemo1")->toPlainText(), MemoFor(kFirstPicture));
    QVERIFY(Child<QPushButton>(&form, "cxButton1")->isEnabled());
    QVERIFY(Child<QProgressBar>(&form, "busyIndicator")->isHidden());
    QCOMPARE(form.StatusText(), QStringLiteral("识别完成"));
}

void RecognitionTest::pastedPictureIsWhatIsSent() {
    TForm1 form(SettingsFor(QString::fromStdString(service_.Endpoint())));
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    view->LoadFromFile([&] {
        const QString path = dir_.filePath("first.jpg");
        testing_support::RenderText(kFirstPicture).save(path, "JPEG", 95);
        return path;
    }());
    QApplication::clipboard()->setImage(testing_support::RenderText(kPastedPicture));
    view->Paste();
    form.cxButton1Click();
    QVERIFY(WaitForRecognition(form));
    QCOMPARE(Child<QPlainTextEdit>(&form, "cxMemo1")->toPlainText(), MemoFor(kPastedPicture));

    // After Delete nothing is sent and the lines stay.
    view->Delete();
    form.cxButton1Click();
    QCOMPARE(form.PendingRecognitions(), 0);
    QCOMPARE(Child<QPlainTextEdit>(&form, "cxMemo1")->toPlainText(), MemoFor(kPastedPicture));
}

void RecognitionTest::webPictureFillsTheMemo() {
    testing_support::PictureServer web(testing_support::PictureServer::Mode::Serve,
                                       Encoded(testing_support::RenderText(kWebPicture), "JPEG"),
                                       "image/jpeg");
    QVERIFY(web.Listen());
    TForm1 form(SettingsFor(QString::fromStdString(service_.Endpoint())));
    const QString address = web.Url(QStringLiteral("/item/picture.jpg"));
    Child<QLineEdit>(&form, "edt_Url")->setText(address);
    form.cxButton2Click();
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->LastAddress(), address);
    QVERIFY(WaitForRecognition(form));
    QCOMPARE(Child<QPlainTextEdit>(&form, "cxMemo2")->toPlainText(), MemoFor(kWebPicture));
    QVERIFY(web.Requests() >= 1);
}

void RecognitionTest::serviceDownKeepsTheMemo() {
    TForm1 form(SettingsFor(QString::fromStdString(testing_support::DeadEndpoint())));
    auto* memo1 = Child<QPlainTextEdit>(&form, "cxMemo1");
    auto* memo2 = Child<QPlainTextEdit>(&form, "cxMemo2");
    memo1->setPlainText(QStringLiteral("上次的结果"));
    memo2->setPlainText(QStringLiteral("上次的结果"));

    Child<quillory::PictureView>(&form, "cxImage1")->LoadFromFile([&] {
        const QString path = dir_.filePath("down.bmp");
        testing_support::RenderText(kFirstPicture).save(path, "BMP");
        return path;
    }());
    form.cxButton1Click();
    QVERIFY(WaitForRecognition(form));
    QCOMPARE(memo1->toPlainText(), QStringLiteral("上次的结果"));
    QVERIFY2(form.StatusText().startsWith(QStringLiteral("识别失败：")),
             qPrintable(form.StatusText()));
    QVERIFY(form.StatusText().size() > QStringLiteral("识别失败：").size());

    Child<QLineEdit>(&form, "edt_Url")->setText(QStringLiteral("http://127.0.0.1:9/none.jpg"));
    form.cxButton2Click();
    QVERIFY(WaitForRecognition(form));
    QCOMPARE(memo2->toPlainText(), QStringLiteral("上次的结果"));
    QVERIFY(form.StatusText().startsWith(QStringLiteral("识别失败：")));
    QVERIFY(Child<QPushButton>(&form, "cxButton2")->isEnabled());
}

void RecognitionTest::stalledServiceKeepsTheWindowResponsive() {
    testing_support::PictureServer stall(testing_support::PictureServer::Mode::Stall);
    QVERIFY(stall.Listen());
    TForm1 form(SettingsFor(stall.Url(QStringLiteral("/ocrgate/ocrgate.asmx?WSDL"))));
    auto* memo = Child<QPlainTextEdit>(&form, "cxMemo2");
    memo->setPlainText(QStringLiteral("kept"));
    Child<QLineEdit>(&form, "edt_Url")->setText(QStringLiteral("http://127.0.0.1:9/stalled.jpg"));
    form.cxButton2Click();

    // The request hangs; the window's own loop keeps turning meanwhile.
    QTRY_COMPARE_WITH_TIMEOUT(stall.Requests(), 1, 10000);
    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    QTest::qWait(300);
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QCOMPARE(form.PendingRecognitions(), 1);
    QVERIFY(!Child<QPushButton>(&form, "cxButton2")->isEnabled());
    QVERIFY(Child<QPushButton>(&form, "cxButton1")->isEnabled());
    QVERIFY(!Child<QProgressBar>(&form, "busyIndicator")->isHidden());
    memo->appendPlainText(QStringLiteral("typed while waiting"));

    stall.Release();
    QVERIFY(WaitForRecognition(form));
    QCOMPARE(memo->toPlainText(), QStringLiteral("kept\ntyped while waiting"));
    QVERIFY(form.StatusText().startsWith(QStringLiteral("识别失败：")));
    QVERIFY(Child<QPushButton>(&form, "cxButton2")->isEnabled());
}

QTEST_MAIN(RecognitionTest)
#include "tst_recognition_e2e.moc"
