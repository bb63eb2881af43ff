// The window's added features against a real ocrgated: boxes and copying after a
// recognition, an empty result, cancelling, and a web picture dropped on the local tab.

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "app/ResultMemo.h"
#include "contract/ocrgate.h"
#include "picture_server.h"
#include "pictures/file_formats.h"
#include "test_support.h"
#include "window_fixture.h"

using testing_support::Child;

class WindowFeaturesTest : public WindowAgainstService {
    Q_OBJECT
  private slots:
    void initTestCase();
    void recognisedPicture_data();
    void recognisedPicture();
    void cancelDropsTheReply_data();
    void cancelDropsTheReply();
    void webPictureDroppedOnTheLocalTab();
    void addressCause_data();
    void addressCause();
    void cancelFreesTheService();

  private:
    double Metric(const char* name);
};

void WindowFeaturesTest::initTestCase() {
    StartService();
}

void WindowFeaturesTest::recognisedPicture_data() {
    QTest::addColumn<QStringList>("lines");  // rendered into the picture; none: a blank one
    QTest::addColumn<QString>("status");
    QTest::newRow("text") << QStringList{QStringLiteral("文字框测试"),
                                         QStringLiteral("Second line 42")}
                          << QStringLiteral("识别完成");
    QTest::newRow("blank") << QStringList() << QStringLiteral("未识别到文字");
}

void WindowFeaturesTest::recognisedPicture() {
    QFETCH(QStringList, lines);
    QFETCH(QString, status);
    TForm1 form(SettingsFor(QString::fromStdString(service_.Endpoint())));
    form.resize(1305, 675);
    form.show();
    QImage picture = testing_support::RenderText(lines.isEmpty() ? QStringList{u" "_qs} : lines);
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    view->setVisible(true);
    view->SetImage(picture);
    QSignalSpy finished(&form, &TForm1::recognitionFinished);
    form.cxButton1Click();
    QVERIFY(finished.wait(150000));
    QCOMPARE(form.StatusText(), status);

    auto* memo = Child<quillory::ResultMemo>(&form, "cxMemo1");
    QCOMPARE(memo->RecognisedText(), lines.join(u'\n'));
    const QRect drawn = view->DrawnRect();
    for (int i = 0; i < lines.size(); ++i) {
        const QRect box = view->BoxOnScreen(i);
        QVERIFY2(!box.isEmpty() && drawn.contains(box.center()), qPrintable(QString::number(i)));
        // Line i lies below line i - 1 in the picture, and so does its box.
        if (i > 0)
            QVERIFY(box.top() > view->BoxOnScreen(i - 1).top());
    }
    QVERIFY(view->BoxOnScreen(int(lines.size())).isEmpty());
}

void WindowFeaturesTest::cancelDropsTheReply_data() {
    QTest::addColumn<bool>("byButton");  // else Esc
    QTest::newRow("Esc") << false;
    QTest::newRow("cancel button") << true;
}

void WindowFeaturesTest::cancelDropsTheReply() {
    QFETCH(bool, byButton);
    testing_support::PictureServer stall(testing_support::PictureServer::Mode::Stall);
    QVERIFY(stall.Listen());
    TForm1 form(SettingsFor(stall.Url(QStringLiteral("/ocrgate/ocrgate.asmx?WSDL"))));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* memo = Child<QPlainTextEdit>(&form, "cxMemo2");
    memo->setPlainText(QStringLiteral("kept"));
    form.cxButton2Click();
    QTRY_COMPARE_WITH_TIMEOUT(stall.Requests(), 1, 10000);
    auto* cancel = Child<QToolButton>(&form, "cancelButton");
    QVERIFY(cancel->isVisible());

    if (byButton)
        QTest::mouseClick(cancel, Qt::LeftButton);
    else
        QTest::keyClick(Child<QLineEdit>(&form, "edt_Url"), Qt::Key_Escape);
    QCOMPARE(form.PendingRecognitions(), 0);
    QCOMPARE(form.StatusText(), QStringLiteral("识别已取消"));
    QVERIFY(Child<QPushButton>(&form, "cxButton2")->isEnabled());
    QVERIFY(Child<QProgressBar>(&form, "busyIndicator")->isHidden());
    QVERIFY(cancel->isHidden());

    // Whatever the stalled exchange ends with never reaches the memo or the status line.
    stall.Release();
    QTest::qWait(1500);
    QCOMPARE(memo->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(form.StatusText(), QStringLiteral("识别已取消"));
}

void WindowFeaturesTest::webPictureDroppedOnTheLocalTab() {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    testing_support::RenderText({QStringLiteral("拖放")}).save(&buffer, "PNG");
    testing_support::PictureServer web(testing_support::PictureServer::Mode::Serve, png);
    QVERIFY(web.Listen());
    TForm1 form(SettingsFor(QString::fromStdString(service_.Endpoint())));

    auto* data = new QMimeData;
    data->setUrls({QUrl(web.Url(QStringLiteral("/shop/item.png")))});
    QWidget* target = Child<QWidget>(&form, "Panel7");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    delete data;

    auto* field = Child<QLineEdit>(&form, "edt_img");
    QTRY_VERIFY_WITH_TIMEOUT(field->text().endsWith(u"/item.png"), 10000);
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    QCOMPARE(view->SourcePath(), field->text());
    QVERIFY(view->PictureBytes().startsWith("\x89PNG"));
}

void WindowFeaturesTest::addressCause_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("status");  // how the status line begins
    QTest::newRow("ftp") << "ftp://example.org/a.jpg"
                         << "识别失败：不是网络图片的网址：";
    QTest::newRow("no scheme") << "www.example.org/a.jpg"
                               << "识别失败：不是网络图片的网址：";
}

// The service's own reasons reach the status line, whatever its English says.
void WindowFeaturesTest::addressCause() {
    QFETCH(QString, address);
    QFETCH(QString, status);
    TForm1 form(SettingsFor(QString::fromStdString(service_.Endpoint())));
    Child<QLineEdit>(&form, "edt_Url")->setText(address);
    QSignalSpy finished(&form, &TForm1::recognitionFinished);
    form.cxButton2Click();
    QVERIFY(finished.wait(30000));
    QVERIFY2(form.StatusText().startsWith(status), qPrintable(form.StatusText()));
    QVERIFY(!form.StatusToolTip().isEmpty() && !form.StatusToolTip().startsWith(status));
}

double WindowFeaturesTest::Metric(const char* name) {
    QNetworkAccessManager network;
    QUrl url(QString::fromStdString(service_.Endpoint()));
    url.setPath(QStringLiteral("/metrics"));
    url.setQuery(QString());
    QNetworkReply* reply = network.get(QNetworkRequest(url));
    QSignalSpy done(reply, &QNetworkReply::finished);
    if (!done.wait(10000))
        return -1;
    reply->deleteLater();
    for (const QByteArray& line : reply->readAll().split('\n')) {
        if (line.startsWith(QByteArray(name) + ' '))
            return line.mid(int(qstrlen(name)) + 1).toDouble();
    }
    return -1;
}

// Called off from the window, a recognition stops in the service too: the one worker is
// free for the next picture at once, and the service counts the cancelled one.
void WindowFeaturesTest::cancelFreesTheService() {
    TForm1 form(SettingsFor(QString::fromStdString(service_.Endpoint())));
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    const auto recognise = [&](const QImage& picture) {
        view->SetImage(picture);
        QSignalSpy finished(&form, &TForm1::recognitionFinished);
        QElapsedTimer timer;
        timer.start();
        form.cxButton1Click();
        return finished.wait(150000) ? timer.elapsed() : -1;
    };
    const QImage small = testing_support::RenderText({QStringLiteral("取消之后")});
    recognise(small);  // the engine warmed up
    const qint64 normal = recognise(small);
    QVERIFY(normal > 0);
    QCOMPARE(form.StatusText(), QStringLiteral("识别完成"));

    // A page full of lines, within the detector's side so that none is lost to shrinking,
    // keeps the only worker busy for seconds.
    QStringList page;
    for (int i = 0; i < 40; ++i)
        page << QStringLiteral("第%1行：一段很长的文字用来占住识别服务的工作线程 %2").arg(i).arg(i * 7919);
    const double before = Metric("ocrgated_recognitions_cancelled_total");
    QVERIFY(before >= 0);
    view->SetImage(testing_support::RenderText(page, 24));
    form.cxButton1Click();
    // Sent in full and being read by the worker.
    QTRY_COMPARE_WITH_TIMEOUT(Metric("ocrgated_workers_busy"), 1.0, 60000);
    QTest::qWait(500);
    QCOMPARE(form.PendingRecognitions(), 1);  // still running
    form.CancelRecognitions();

    const qint64 next = recognise(small);
    QVERIFY(next > 0);
    QCOMPARE(form.StatusText(), QStringLiteral("识别完成"));
    // The cancel reaches the service within the transport's next look at its flag (50 ms)
    // and the engine's next check; the rest is the small picture's own time.
    QVERIFY2(next < normal + 1500, qPrintable(QStringLiteral("%1 ms against %2 ms normally")
                                                  .arg(next)
                                                  .arg(normal)));
    QTRY_VERIFY2_WITH_TIMEOUT(Metric("ocrgated_recognitions_cancelled_total") == before + 1,
                              service_.Output().c_str(), 5000);
}

QTEST_MAIN(WindowFeaturesTest)
#include "tst_window_features_e2e.moc"
