// A screen capture from key to clipboard, against a real ocrgated: through the screen
// itself (run under an X server) and through a desktop portal answered by a stand-in on a
// private session bus.

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "app/M_Quillory.h"
#include "app/ResultMemo.h"
#include "contract/ocrgate.h"
#include "pictures/file_formats.h"
#include "support/service_process.h"
#include "test_support.h"

using testing_support::Child;

namespace {

const QStringList kLines = {QStringLiteral("图片文字识别"), QStringLiteral("Quillory 2026")};
const QPoint kTextAt(120, 90);  // where the text lies on the screen

// The desktop portal's Screenshot request, answered with a file holding `screen`.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
  public:
    FakePortal(QDBusConnection bus, QString file) : bus_(bus), file_(std::move(file)) {}
    int Calls() const { return calls_; }

  public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options,
                               const QDBusMessage& message) {
        ++calls_;
        QString sender = message.service().mid(1);
        sender.replace(u'.', u'_');
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                             u'/' + options.value(QStringLiteral("handle_token")).toString();
        // The answer comes as a signal after the reply, as the portal sends it.
        QTimer::singleShot(50, this, [this, path] {
            QDBusMessage response = QDBusMessage::createSignal(
                path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            response << 0u
                     << QVariantMap{{QStringLiteral("uri"), QUrl::fromLocalFile(file_).toString()}};
            bus_.send(response);
        });
        return QDBusObjectPath(path);
    }

  private:
    QDBusConnection bus_;
    QString file_;
    int calls_ = 0;
};

}  // namespace

class CaptureTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanupTestCase();
    void capture_data();
    void capture();

  private:
    QTemporaryDir dir_;
    testing_support::ServiceProcess service_{
        OCRGATED_PATH, testing_support::EphemeralArgs(1, {"--allow-private-urls"})};
    QProcess bus_;
};

void CaptureTest::initTestCase() {
    pictures::RegisterPictureKinds();
    ocrgate::RegisterOcrgateSoap();
    QVERIFY(dir_.isValid());
    QVERIFY2(service_.WaitUntilHealthy(), service_.Output().c_str());
    // A session bus of the test's own, before anything asks for one.
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--print-address")});
    QVERIFY(bus_.waitForReadyRead(10000));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed());
}

void CaptureTest::cleanupTestCase() {
    bus_.terminate();
    bus_.waitForFinished(5000);
}

void CaptureTest::capture_data() {
    QTest::addColumn<bool>("portal");
    QTest::newRow("screen") << false;
    QTest::newRow("portal") << true;
}

void CaptureTest::capture() {
    QFETCH(bool, portal);
    if (!portal && QGuiApplication::platformName() != u"xcb")
        QSKIP("the screen route is tried under an X server");
    const QImage text = testing_support::RenderText(kLines);
    QScreen* screen = QGuiApplication::primaryScreen();

    // What the screen shows: the text on a window of its own, or in the portal's file.
    QLabel shown;
    std::unique_ptr<FakePortal> fake;
    QDBusConnection portalBus = QDBusConnection::connectToBus(
        QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("portal"));
    if (portal) {
        QImage still(screen->size(), QImage::Format_RGB32);
        still.fill(Qt::darkGray);
        QPainter(&still).drawImage(kTextAt, text);
        const QString file = dir_.filePath(QStringLiteral("screenshot.png"));
        QVERIFY(still.save(file));
        fake = std::make_unique<FakePortal>(portalBus, file);
        QVERIFY(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        QVERIFY(portalBus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                         fake.get(), QDBusConnection::ExportAllSlots));
    } else {
        shown.setPixmap(QPixmap::fromImage(text));
        shown.setWindowFlags(Qt::FramelessWindowHint);
        shown.setGeometry(QRect(kTextAt, text.size()));
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
    }

    TForm1::Settings settings{QString::fromStdString(service_.Endpoint()), QStringLiteral("about:blank"), dir_.path()};
    settings.capture =
        portal ? TForm1::Settings::Capture::Portal : TForm1::Settings::Capture::Screen;
    TForm1 form(settings);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QApplication::clipboard()->clear();
    form.StartCapture();  // what Ctrl+Shift+A and --capture do
    QTRY_VERIFY2_WITH_TIMEOUT(form.CaptureOverlay() && form.CaptureOverlay()->isVisible(),
                              qPrintable(form.StatusText()), 10000);
    QVERIFY(!form.isVisible());

    // Drag a rectangle a little larger than the text.
    QWidget* overlay = form.CaptureOverlay();
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    const double scale = double(screen->size().width()) / overlay->width();
    const QPoint from = (kTextAt - QPoint(10, 10)) / scale;
    const QPoint to = (kTextAt + QPoint(text.width(), text.height()) + QPoint(10, 10)) / scale;
    QSignalSpy finished(&form, &TForm1::recognitionFinished);
    QTest::mousePress(overlay, Qt::LeftButton, {}, from);
    QTest::mouseMove(overlay, (from + to) / 2);
    QTest::mouseMove(overlay, to);
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, to);
    QVERIFY(finished.wait(150000));

    QVERIFY(form.isVisible());
    QCOMPARE(form.StatusText(), QStringLiteral("识别完成"));
    QCOMPARE(Child<quillory::ResultMemo>(&form, "cxMemo1")->RecognisedText(), kLines.join(u'\n'));
    QCOMPARE(QApplication::clipboard()->text(), kLines.join(u'\n'));
    if (fake) {
        QCOMPARE(fake->Calls(), 1);
        portalBus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
        portalBus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
}

QTEST_MAIN(CaptureTest)
#include "tst_capture_e2e.moc"
