// The window's added features against a real ocrgated: boxes and copying after a
// recognition, an empty result, cancelling, and a web picture dropped on the local tab.

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "app/ResultMemo.h"
#include "ocrgate/ocrgate.h"
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

QTEST_MAIN(WindowFeaturesTest)
#include "tst_window_features_e2e.moc"
