// One window per user: a second start of the program hands its work to the running window
// and exits without a window of its own.

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "app/SingleWindow.h"
#include "pictures/file_formats.h"
#include "test_support.h"

using testing_support::Child;

class SingleWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void secondStartHandsOver_data();
    void secondStartHandsOver();

  private:
    QTemporaryDir dir_;
};

void SingleWindowTest::initTestCase() {
    pictures::RegisterPictureKinds();
    QVERIFY(dir_.isValid());
    // The user's runtime folder, where the window's socket lies, is the test's own; the
    // second start inherits it.
    QVERIFY(QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());
}

void SingleWindowTest::secondStartHandsOver_data() {
    QTest::addColumn<QString>("argument");  // "FILE" is replaced by a picture file's path
    QTest::addColumn<QString>("expected");  // capture, file, shown
    QTest::newRow("--capture") << "--capture" << "capture";
    QTest::newRow("a file") << "FILE" << "file";
    QTest::newRow("nothing more") << "" << "shown";
}

void SingleWindowTest::secondStartHandsOver() {
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    const QString picture = dir_.filePath(QStringLiteral("handed.png"));
    QVERIFY(testing_support::RenderText({QStringLiteral("图")}).save(picture, "PNG"));

    TForm1 form(testing_support::OfflineSettings(dir_.path()));
    quillory::SingleWindow single;
    QVERIFY(single.Listen());
    connect(&single, &quillory::SingleWindow::workArrived, &form, &TForm1::TakeWork);
    QSignalSpy arrived(&single, &quillory::SingleWindow::workArrived);
    if (expected == u"capture")
        form.show();  // a capture takes the window off the screen
    QVERIFY(form.isVisible() == (expected == u"capture"));

    QProcess second;
    QStringList arguments;
    if (!argument.isEmpty())
        arguments << (argument == u"FILE" ? QStringLiteral("handed.png") : argument);
    second.setWorkingDirectory(dir_.path());  // a relative name is the caller's file
    QElapsedTimer timer;
    timer.start();
    second.start(QStringLiteral(QUILLORY_PATH), arguments);
    QVERIFY(second.waitForStarted());
    QVERIFY(arrived.wait(30000));
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(arrived.count(), 1);

    if (expected == u"capture") {
        QVERIFY(form.isHidden());
    } else if (expected == u"file") {
        QVERIFY(form.isVisible());
        QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), picture);
        QCOMPARE(Child<quillory::PictureView>(&form, "cxImage1")->SourcePath(), picture);
    } else {
        QVERIFY(form.isVisible());
        QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), QString());
    }
}

QTEST_MAIN(SingleWindowTest)
#include "tst_single_window.moc"
