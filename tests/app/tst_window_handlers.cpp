// The window's handlers: the help page, the error box and the picture selection.

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "app/AppErrors.h"
#include "app/BrowserPane.h"
#include "app/ErrorBox.h"
#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "app/SingleWindow.h"
#include "app/Texts.h"
#include "pictures/file_formats.h"
#include "soap/errors.h"
#include "test_support.h"

using testing_support::Child;
using testing_support::OfflineSettings;

namespace {

// Makes a file that not even root may write, as an installation's read-only folder holds it,
// and makes it writable again when it goes.
class UnwritableFile {
  public:
    explicit UnwritableFile(const QString& path) : path_(path) {
        if (geteuid() != 0) {
            const QString directory = QFileInfo(path).absolutePath();
            made_ =
                QFile::setPermissions(path, QFileDevice::ReadOwner) &&
                QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            return;
        }
        made_ = SetImmutable(true);  // permissions do not stop root
    }
    ~UnwritableFile() {
        if (geteuid() == 0) {
            SetImmutable(false);
            return;
        }
        QFile::setPermissions(QFileInfo(path_).absolutePath(), QFileDevice::ReadOwner |
                                                                   QFileDevice::WriteOwner |
                                                                   QFileDevice::ExeOwner);
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    UnwritableFile(const UnwritableFile&) = delete;
    UnwritableFile& operator=(const UnwritableFile&) = delete;

    bool Made() const { return made_; }

  private:
    bool SetImmutable(bool on) {
        const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }

    QString path_;
    bool made_ = false;
};

}  // namespace

class WindowHandlersTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void helpPageBytes();
    void helpPageReplacesALongerFile();
    void readOnlyDirectoryShowsTheErrorBox();
    void unwritablePage_data();
    void unwritablePage();
    void errorBoxText_data();
    void errorBoxText();
    void silentAbortIsNeverShown();
    void cancelledDialogChangesNothing();
    void chosenPictureIsLoaded();
    void fileGivenAtStartIsShown_data();
    void fileGivenAtStartIsShown();
    void badPictureKeepsThePreviousOne();
    void recognisingWithoutAPictureSendsNothing();
    void webRecognitionWithEmptyAddressShowsAnError();

  private:
    QTemporaryDir dir_;
};

void WindowHandlersTest::initTestCase() {
    pictures::RegisterPictureKinds();
    QVERIFY(dir_.isValid());
}

void WindowHandlersTest::helpPageBytes() {
    QTemporaryDir where;
    TForm1 form(OfflineSettings(where.path()));
    form.FormShow();
    QFile page(where.filePath("help.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray bytes = page.readAll();
    QCOMPARE(bytes.size(), 214);
    const QStringList lines = {
        QStringLiteral("说明：图片文字识别软件，根据百度提供的API对图片上的文字识别，"),
        QStringLiteral("本软件根据百度提供的免费次数免费使用，"),
        QStringLiteral("如果您的调用量特别大的情况下可以自行申请API我这边提供技术支持。"),
        QStringLiteral("使用方法：选择本地或者网络图片点击识别即可。")};
    QByteArray expected;
    const int lengths[] = {61, 38, 63, 44};
    for (int i = 0; i < 4; ++i) {
        const QByteArray line = testing_support::Encode(lines[i], "GBK");
        QCOMPARE(line.size(), lengths[i]);
        expected += line + "\r\n";
    }
    QCOMPARE(bytes, expected);
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->LastAddress(),
             where.filePath("help.html"));
    // The hidden web tab loads its start page once the window is up.
    QTRY_COMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->LastAddress(),
                 QStringLiteral("about:blank"));
}

void WindowHandlersTest::helpPageReplacesALongerFile() {
    QTemporaryDir where;
    QFile old(where.filePath("help.html"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    TForm1 form(OfflineSettings(where.path() + u'/'));  // a trailing delimiter is not doubled
    form.FormShow();
    QCOMPARE(QFileInfo(where.filePath("help.html")).size(), 214);
    QVERIFY(!QFileInfo::exists(where.path() + "//help.html") ||
            QFileInfo(where.filePath("help.html")).size() == 214);
}

void WindowHandlersTest::readOnlyDirectoryShowsTheErrorBox() {
    QTemporaryDir where;
    QVERIFY(QFile::setPermissions(where.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QString directory = where.path();
    if (QFile probe(where.filePath("probe")); probe.open(QIODevice::WriteOnly)) {
        // Permissions do not stop this user (root): take a directory nobody may write.
        probe.remove();
        directory = QStringLiteral("/sys");
    }
    TForm1 form(OfflineSettings(directory));
    const auto seen =
        testing_support::WatchMessageBox([&] { quillory::RunGuarded([&] { form.FormShow(); }); });
    QFile::setPermissions(where.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QVERIFY(seen.shown);
    QCOMPARE(seen.caption, quillory::ApplicationTitle());
    QCOMPARE(seen.caption, QStringLiteral("tst_window_handlers"));
    const QString path = directory + QStringLiteral("/help.html");
    QVERIFY2(seen.text.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path)),
             qPrintable(seen.text));
    QVERIFY(seen.text.endsWith(u'.'));
    QVERIFY(seen.text.size() > QStringLiteral("Cannot create file \"%1\". .").arg(path).size());
    QTest::qWait(50);  // a deferred navigation would have run by now
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->NavigationCount(), 0);
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->NavigationCount(), 0);
}

void WindowHandlersTest::unwritablePage_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("shown");  // whether the page is shown, or the error box
    const QByteArray page = quillory::texts::kHelpPage;
    QTest::newRow("the page as installed") << page << true;
    QTest::newRow("an older page") << QByteArray(5000, 'x') << false;
    QTest::newRow("the page with a tail") << page + "x" << false;
    QTest::newRow("the page cut short") << page.left(page.size() - 2) << false;
}

void WindowHandlersTest::unwritablePage() {
    QFETCH(QByteArray, content);
    QFETCH(bool, shown);
    QTemporaryDir where;
    const QString path = where.filePath("help.html");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    UnwritableFile locked(path);
    if (!locked.Made())
        QSKIP("no way here to make a file that this user cannot write");

    TForm1 form(OfflineSettings(where.path()));
    const auto seen =
        testing_support::WatchMessageBox([&] { quillory::RunGuarded([&] { form.FormShow(); }); });
    QTest::qWait(50);  // a deferred navigation would have run by now
    QCOMPARE(seen.shown, !shown);
    if (!shown) {
        QVERIFY2(seen.text.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path)),
                 qPrintable(seen.text));
    }
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), content);  // left as it was
    auto* help = Child<quillory::BrowserPane>(&form, "WebBrowser1");
    QCOMPARE(help->NavigationCount(), shown ? 1 : 0);
    if (shown)
        QCOMPARE(help->LastAddress(), path);
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->NavigationCount(), shown ? 1 : 0);
}

void WindowHandlersTest::errorBoxText_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Stream read error"
                            << "Stream read error.";
    QTest::newRow("already a period") << "Done."
                                      << "Done.";
    QTest::newRow("closing parenthesis sorts before") << "Bad (x)"
                                                      << "Bad (x)";
    QTest::newRow("digit sorts after") << "JPEG error #53"
                                       << "JPEG error #53.";
    QTest::newRow("Chinese") << "无法打开"
                             << "无法打开.";
    QTest::newRow("empty") << ""
                           << "";
}

void WindowHandlersTest::errorBoxText() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(quillory::ErrorBoxText(message), shown);
    const auto seen = testing_support::WatchMessageBox(
        [&] { quillory::RunGuarded([&] { throw std::runtime_error(message.toStdString()); }); });
    QVERIFY(seen.shown);
    QCOMPARE(seen.text, shown);
}

void WindowHandlersTest::silentAbortIsNeverShown() {
    const auto seen = testing_support::WatchMessageBox(
        [] { quillory::RunGuarded([] { throw soap::EAbort(); }); });
    QVERIFY(!seen.shown);
}

void WindowHandlersTest::cancelledDialogChangesNothing() {
    TForm1 form(OfflineSettings(dir_.path()));
    auto* dialog = form.OpenDialog();
    QTimer::singleShot(50, dialog, &QDialog::reject);
    form.edt_imgPropertiesButtonClick();
    QVERIFY(Child<QLineEdit>(&form, "edt_img")->text().isEmpty());
    QVERIFY(Child<quillory::PictureView>(&form, "cxImage1")->isHidden());
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->NavigationCount(), 0);
}

void WindowHandlersTest::chosenPictureIsLoaded() {
    TForm1 form(OfflineSettings(dir_.path()));
    const QString path = dir_.filePath("chosen.jpg");
    QVERIFY(testing_support::RenderText({QStringLiteral("图片")}).save(path, "JPEG"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray onDisk = file.readAll();

    for (int round = 0; round < 2; ++round) {  // the same file twice reloads it
        testing_support::ChooseInDialog(form.OpenDialog(), path);
        form.edt_imgPropertiesButtonClick();
        QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), path);
        QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->LastAddress(), path);
        auto* view = Child<quillory::PictureView>(&form, "cxImage1");
        QVERIFY(!view->isHidden());
        QVERIFY(!Child<QWidget>(&form, "Panel7")->isHidden());  // still covered
        QCOMPARE(view->PictureBytes(), onDisk);  // a JPEG goes out as it lies on disk
    }
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->NavigationCount(), 2);

    // A name typed without an extension gets "jpg".
    testing_support::ChooseInDialog(form.OpenDialog(), dir_.filePath("chosen"));
    form.edt_imgPropertiesButtonClick();
    QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), path);
}

void WindowHandlersTest::fileGivenAtStartIsShown_data() {
    QTest::addColumn<bool>("shownFirst");  // the program shows the window, then opens the file
    QTest::newRow("the program's start") << true;
    QTest::newRow("handed to a hidden window") << false;
}

void WindowHandlersTest::fileGivenAtStartIsShown() {
    QFETCH(bool, shownFirst);
    QTemporaryDir where;
    const QString path = where.filePath("given.png");
    QVERIFY(testing_support::RenderText({QStringLiteral("图片")}).save(path, "PNG"));
    TForm1 form(OfflineSettings(where.path()));
    if (shownFirst)
        form.show();
    form.TakeWork({false, path});
    QVERIFY(form.isVisible());
    // The help page was written and shown before the file, and nothing covers the file since.
    QTRY_COMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->LastAddress(),
                 QStringLiteral("about:blank"));
    QVERIFY(QFile::exists(where.filePath("help.html")));
    auto* pane = Child<quillory::BrowserPane>(&form, "WebBrowser1");
    QCOMPARE(pane->LastAddress(), path);
    QCOMPARE(pane->NavigationCount(), 2);
    QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), path);
    QVERIFY(!Child<quillory::PictureView>(&form, "cxImage1")->isHidden());
}

void WindowHandlersTest::badPictureKeepsThePreviousOne() {
    TForm1 form(OfflineSettings(dir_.path()));
    const QString good = dir_.filePath("good.bmp");
    QVERIFY(testing_support::RenderText({QStringLiteral("好")}).save(good, "BMP"));
    testing_support::ChooseInDialog(form.OpenDialog(), good);
    form.edt_imgPropertiesButtonClick();
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    const QByteArray before = view->PictureBytes();
    QVERIFY(before.startsWith("BM"));

    const QString bad = dir_.filePath("notes.xyz");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    testing_support::ChooseInDialog(form.OpenDialog(), bad);
    const auto seen = testing_support::WatchMessageBox(
        [&] { quillory::RunGuarded([&] { form.edt_imgPropertiesButtonClick(); }); });
    QVERIFY(seen.shown);
    // Its last character sorts before ".", so no period is added.
    QCOMPARE(seen.text, QStringLiteral("Unknown picture file extension (.xyz)"));
    // The field names the picture still held, which is what 识别 sends.
    QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), good);
    QCOMPARE(view->PictureBytes(), before);
}

void WindowHandlersTest::recognisingWithoutAPictureSendsNothing() {
    TForm1 form(OfflineSettings(dir_.path()));
    Child<QPlainTextEdit>(&form, "cxMemo1")->setPlainText(QStringLiteral("kept"));
    form.cxButton1Click();
    QCOMPARE(form.PendingRecognitions(), 0);
    QVERIFY(Child<QPushButton>(&form, "cxButton1")->isEnabled());
    QVERIFY(form.StatusText().startsWith(QStringLiteral("没有可识别的图片")));
    QCOMPARE(Child<QPlainTextEdit>(&form, "cxMemo1")->toPlainText(), QStringLiteral("kept"));
}

void WindowHandlersTest::webRecognitionWithEmptyAddressShowsAnError() {
    TForm1 form(OfflineSettings(dir_.path()));
    Child<QLineEdit>(&form, "edt_Url")->clear();
    const auto seen = testing_support::WatchMessageBox(
        [&] { quillory::RunGuarded([&] { form.cxButton2Click(); }); });
    QVERIFY(seen.shown);
    QCOMPARE(form.PendingRecognitions(), 0);
}

QTEST_MAIN(WindowHandlersTest)
#include "tst_window_handlers.moc"
