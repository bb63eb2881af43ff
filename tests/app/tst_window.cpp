// The window: its control tree, texts and geometry, the help page, the error box and the
// picture selection.

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

#include "AppErrors.h"
#include "BrowserPane.h"
#include "ButtonEdit.h"
#include "ErrorBox.h"
#include "M_Quillory.h"
#include "PictureView.h"
#include "Splitter.h"
#include "pictures/file_formats.h"
#include "soap/errors.h"
#include "test_support.h"

using testing_support::Child;

namespace {

const std::set<QString> kSpecNames = {
    "Form1",       "cxPageControl1", "cxTabSheet1", "Panel1",      "Label1",   "edt_img",
    "cxButton1",   "Panel2",         "Panel3",      "cxMemo1",     "cxImage1", "Panel7",
    "WebBrowser1", "cxSplitter2",    "cxTabSheet2", "Panel4",      "Label2",   "Label3",
    "edt_Url",     "cxButton2",      "Panel5",      "WebBrowser2", "Panel6",   "cxMemo2",
    "cxSplitter1", "cxTabSheet3",    "cxMemo3",     "OpenDialog1"};

// The nearest ancestor that is one of the window's own controls.
QString ControlParent(const QObject* control) {
    for (const QObject* up = control->parent(); up; up = up->parent()) {
        if (kSpecNames.count(up->objectName()))
            return up->objectName();
    }
    return {};
}

TForm1::Settings TestSettings(const QString& helpDirectory) {
    // Nothing listens on port 9 of the loopback; the panes load nothing from outside.
    return {QStringLiteral("http://127.0.0.1:9/ocrgate/ocrgate.asmx?WSDL"),
            QStringLiteral("about:blank"), helpDirectory};
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void controlTree_data();
    void controlTree();
    void textsAndFonts();
    void placedGeometry_data();
    void placedGeometry();
    void fileDialogFilter();
    void opensCentredOnTheFirstTab();
    void splitterResizesOnlyTheResultColumn();
    void helpPageBytes();
    void helpPageReplacesALongerFile();
    void readOnlyDirectoryShowsTheErrorBox();
    void errorBoxText_data();
    void errorBoxText();
    void silentAbortIsNeverShown();
    void cancelledDialogChangesNothing();
    void chosenPictureIsLoaded();
    void badPictureKeepsThePreviousOne();
    void recognisingWithoutAPictureSendsNothing();
    void webRecognitionWithEmptyAddressShowsAnError();

  private:
    QTemporaryDir dir_;
};

void WindowTest::initTestCase() {
    pictures::RegisterPictureKinds();
    QVERIFY(dir_.isValid());
}

void WindowTest::controlTree_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    const auto row = [](const char* name, const char* cls, const char* parent) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                            << QString::fromLatin1(parent);
    };
    row("cxPageControl1", "QTabWidget", "Form1");
    row("cxTabSheet1", "QWidget", "cxPageControl1");
    row("Panel1", "QWidget", "cxTabSheet1");
    row("Label1", "QLabel", "Panel1");
    row("edt_img", "quillory::ButtonEdit", "Panel1");
    row("cxButton1", "QPushButton", "Panel1");
    row("Panel2", "QWidget", "cxTabSheet1");
    row("Panel3", "QWidget", "Panel2");
    row("cxMemo1", "QPlainTextEdit", "Panel3");
    row("cxImage1", "quillory::PictureView", "Panel2");
    row("Panel7", "QWidget", "Panel2");
    row("WebBrowser1", "quillory::BrowserPane", "Panel7");
    row("cxSplitter2", "quillory::Splitter", "Panel2");
    row("cxTabSheet2", "QWidget", "cxPageControl1");
    row("Panel4", "QWidget", "cxTabSheet2");
    row("Label2", "QLabel", "Panel4");
    row("Label3", "QLabel", "Panel4");
    row("edt_Url", "QLineEdit", "Panel4");
    row("cxButton2", "QPushButton", "Panel4");
    row("Panel5", "QWidget", "cxTabSheet2");
    row("WebBrowser2", "quillory::BrowserPane", "Panel5");
    row("Panel6", "QWidget", "Panel5");
    row("cxMemo2", "QPlainTextEdit", "Panel6");
    row("cxSplitter1", "quillory::Splitter", "Panel5");
    row("cxTabSheet3", "QWidget", "cxPageControl1");
    row("cxMemo3", "QPlainTextEdit", "cxTabSheet3");
    row("OpenDialog1", "QFileDialog", "Form1");
}

void WindowTest::controlTree() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    TForm1 form(TestSettings(dir_.path()));
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    const QList<QWidget*> found = form.findChildren<QWidget*>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    QCOMPARE(ControlParent(found.first()), parent);
}

void WindowTest::textsAndFonts() {
    TForm1 form(TestSettings(dir_.path()));
    QVERIFY(form.windowTitle().startsWith(QStringLiteral("Quillory (")));
    QVERIFY(form.windowTitle().endsWith(u')'));
    QCOMPARE(form.font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(form.font().pixelSize(), 11);

    auto* pages = Child<QTabWidget>(&form, "cxPageControl1");
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->tabText(0), QStringLiteral("本地图片文件"));
    QCOMPARE(pages->tabText(1), QStringLiteral("网络图片文件"));
    QCOMPARE(pages->tabText(2), QStringLiteral("说明"));
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("cxTabSheet1"));

    for (const char* label : {"Label1", "Label2"}) {
        QCOMPARE(Child<QLabel>(&form, label)->text(), QStringLiteral("图片文件"));
        QVERIFY(Child<QLabel>(&form, label)->alignment() & Qt::AlignRight);
    }
    auto* hint = Child<QLabel>(&form, "Label3");
    QCOMPARE(hint->text(), QStringLiteral("复制网络图片点击识别，如这里复制的是淘宝图片"));
    QVERIFY(hint->wordWrap());
    QCOMPARE(hint->font().pixelSize(), 20);
    QCOMPARE(hint->palette().color(QPalette::WindowText), QColor(Qt::blue));
    for (const char* button : {"cxButton1", "cxButton2"}) {
        QCOMPARE(Child<QPushButton>(&form, button)->text(), QStringLiteral("识别"));
    }

    QVERIFY(Child<QLineEdit>(&form, "edt_img")->isReadOnly());
    QVERIFY(Child<QLineEdit>(&form, "edt_img")->text().isEmpty());
    auto* url = Child<QLineEdit>(&form, "edt_Url");
    QVERIFY(url->text().startsWith(QStringLiteral("https://")));
    QVERIFY(!url->isReadOnly());  // another address may be pasted

    for (const char* memo : {"cxMemo1", "cxMemo2", "cxMemo3"}) {
        const QFont font = Child<QPlainTextEdit>(&form, memo)->font();
        QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(font.pixelSize(), 16);
    }
    QCOMPARE(Child<QPlainTextEdit>(&form, "cxMemo1")->verticalScrollBarPolicy(),
             Qt::ScrollBarAlwaysOn);
    const QStringList notes = Child<QPlainTextEdit>(&form, "cxMemo3")->toPlainText().split(u'\n');
    QCOMPARE(notes.size(), 6);
    QCOMPARE(notes[0], QStringLiteral("本软件为免费软件。没有收费的打算会一直免费使用，"));
    QCOMPARE(notes[1], QStringLiteral(
                           "但由于这是调用百度技术，百度有限额，所以只要不超越百度限额都是免费，"));
    QCOMPARE(notes[2], QStringLiteral("如果您的调用量大可以自行申请API 我这边提供技术支持。"));
    QCOMPARE(notes[3], QString());
    QVERIFY(!notes[4].isEmpty() && !notes[5].isEmpty());

    QVERIFY(Child<quillory::PictureView>(&form, "cxImage1")->isHidden());
    QVERIFY(!Child<QWidget>(&form, "Panel7")->isHidden());
}

void WindowTest::placedGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Label1") << "Label1" << QRect(16, 16, 73, 13);
    QTest::newRow("edt_img") << "edt_img" << QRect(96, 13, 841, 21);
    QTest::newRow("cxButton1") << "cxButton1" << QRect(952, 11, 75, 25);
    QTest::newRow("Label2") << "Label2" << QRect(16, 16, 73, 13);
    QTest::newRow("Label3") << "Label3" << QRect(1056, -2, 225, 49);
    QTest::newRow("edt_Url") << "edt_Url" << QRect(96, 13, 841, 21);
    QTest::newRow("cxButton2") << "cxButton2" << QRect(952, 8, 75, 25);
}

void WindowTest::placedGeometry() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TForm1 form(TestSettings(dir_.path()));
    QCOMPARE(form.findChild<QWidget*>(name)->geometry(), geometry);
}

void WindowTest::fileDialogFilter() {
    TForm1 form(TestSettings(dir_.path()));
    auto* dialog = Child<QFileDialog>(&form, "OpenDialog1");
    const QStringList expected = {
        QStringLiteral("jpg文件 (*.jpg)"), QStringLiteral("jpeg文件 (*.jpeg)"),
        QStringLiteral("png文件 (*.png)"), QStringLiteral("bmp文件 (*.bmp)")};
    QCOMPARE(dialog->nameFilters(), expected);
    QCOMPARE(dialog->selectedNameFilter(), expected.first());
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("jpg"));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
}

void WindowTest::opensCentredOnTheFirstTab() {
    TForm1 form(TestSettings(dir_.path()));
    form.move(3, 4);  // wherever it stood, it opens centred
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), QSize(1305, 675));
    const QPoint centre = form.screen()->geometry().center();
    // Within the window frame's few pixels, which the platform adds after the first show.
    QVERIFY2((form.frameGeometry().center() - centre).manhattanLength() <= 4,
             qPrintable(QStringLiteral("centre at %1,%2")
                            .arg(form.frameGeometry().center().x())
                            .arg(form.frameGeometry().center().y())));
    QCOMPARE(Child<QTabWidget>(&form, "cxPageControl1")->currentIndex(), 0);
}

void WindowTest::splitterResizesOnlyTheResultColumn() {
    TForm1 form(TestSettings(dir_.path()));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* results = Child<QWidget>(&form, "Panel3");
    auto* browser = Child<QWidget>(&form, "Panel7");
    QCOMPARE(results->width(), 560);
    const int before = browser->width();
    QCOMPARE(Child<quillory::Splitter>(&form, "cxSplitter2")->width(), 8);

    Child<quillory::Splitter>(&form, "cxSplitter2")->DragBy(-100);
    QTRY_COMPARE(browser->width(), before - 100);
    QCOMPARE(results->width(), 660);
    QCOMPARE(form.width(), 1305);
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    view->setVisible(true);  // as a chosen picture makes it; it shares the browser's area
    QTRY_COMPARE(view->geometry(), browser->geometry());

    // The web tab's splitter is bound to nothing.
    Child<QTabWidget>(&form, "cxPageControl1")->setCurrentIndex(1);
    Child<quillory::Splitter>(&form, "cxSplitter1")->DragBy(-100);
    QTest::qWait(20);
    QCOMPARE(Child<QWidget>(&form, "Panel6")->width(), 560);
}

void WindowTest::helpPageBytes() {
    QTemporaryDir where;
    TForm1 form(TestSettings(where.path()));
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
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->LastAddress(),
             QStringLiteral("about:blank"));
}

void WindowTest::helpPageReplacesALongerFile() {
    QTemporaryDir where;
    QFile old(where.filePath("help.html"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    TForm1 form(TestSettings(where.path() + u'/'));  // a trailing delimiter is not doubled
    form.FormShow();
    QCOMPARE(QFileInfo(where.filePath("help.html")).size(), 214);
    QVERIFY(!QFileInfo::exists(where.path() + "//help.html") ||
            QFileInfo(where.filePath("help.html")).size() == 214);
}

void WindowTest::readOnlyDirectoryShowsTheErrorBox() {
    QTemporaryDir where;
    QVERIFY(QFile::setPermissions(where.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QString directory = where.path();
    if (QFile probe(where.filePath("probe")); probe.open(QIODevice::WriteOnly)) {
        // Permissions do not stop this user (root): take a directory nobody may write.
        probe.remove();
        directory = QStringLiteral("/sys");
    }
    TForm1 form(TestSettings(directory));
    const auto seen =
        testing_support::WatchMessageBox([&] { quillory::RunGuarded([&] { form.FormShow(); }); });
    QFile::setPermissions(where.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QVERIFY(seen.shown);
    QCOMPARE(seen.caption, quillory::ApplicationTitle());
    QCOMPARE(seen.caption, QStringLiteral("tst_window"));
    const QString path = directory + QStringLiteral("/help.html");
    QVERIFY2(seen.text.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path)),
             qPrintable(seen.text));
    QVERIFY(seen.text.endsWith(u'.'));
    QVERIFY(seen.text.size() > QStringLiteral("Cannot create file \"%1\". .").arg(path).size());
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->NavigationCount(), 0);
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->NavigationCount(), 0);
}

void WindowTest::errorBoxText_data() {
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

void WindowTest::errorBoxText() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(quillory::ErrorBoxText(message), shown);
    const auto seen = testing_support::WatchMessageBox(
        [&] { quillory::RunGuarded([&] { throw std::runtime_error(message.toStdString()); }); });
    QVERIFY(seen.shown);
    QCOMPARE(seen.text, shown);
}

void WindowTest::silentAbortIsNeverShown() {
    const auto seen = testing_support::WatchMessageBox(
        [] { quillory::RunGuarded([] { throw soap::EAbort(); }); });
    QVERIFY(!seen.shown);
}

void WindowTest::cancelledDialogChangesNothing() {
    TForm1 form(TestSettings(dir_.path()));
    auto* dialog = Child<QFileDialog>(&form, "OpenDialog1");
    QTimer::singleShot(50, dialog, &QDialog::reject);
    form.edt_imgPropertiesButtonClick();
    QVERIFY(Child<QLineEdit>(&form, "edt_img")->text().isEmpty());
    QVERIFY(Child<quillory::PictureView>(&form, "cxImage1")->isHidden());
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->NavigationCount(), 0);
}

void WindowTest::chosenPictureIsLoaded() {
    TForm1 form(TestSettings(dir_.path()));
    const QString path = dir_.filePath("chosen.jpg");
    QVERIFY(testing_support::RenderText({QStringLiteral("图片")}).save(path, "JPEG"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray onDisk = file.readAll();

    for (int round = 0; round < 2; ++round) {  // the same file twice reloads it
        testing_support::ChooseInDialog(Child<QFileDialog>(&form, "OpenDialog1"), path);
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
    testing_support::ChooseInDialog(Child<QFileDialog>(&form, "OpenDialog1"), dir_.filePath("chosen"));
    form.edt_imgPropertiesButtonClick();
    QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), path);
}

void WindowTest::badPictureKeepsThePreviousOne() {
    TForm1 form(TestSettings(dir_.path()));
    const QString good = dir_.filePath("good.bmp");
    QVERIFY(testing_support::RenderText({QStringLiteral("好")}).save(good, "BMP"));
    testing_support::ChooseInDialog(Child<QFileDialog>(&form, "OpenDialog1"), good);
    form.edt_imgPropertiesButtonClick();
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    const QByteArray before = view->PictureBytes();
    QVERIFY(before.startsWith("BM"));

    const QString bad = dir_.filePath("notes.xyz");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    testing_support::ChooseInDialog(Child<QFileDialog>(&form, "OpenDialog1"), bad);
    const auto seen = testing_support::WatchMessageBox(
        [&] { quillory::RunGuarded([&] { form.edt_imgPropertiesButtonClick(); }); });
    QVERIFY(seen.shown);
    // Its last character sorts before ".", so no period is added.
    QCOMPARE(seen.text, QStringLiteral("Unknown picture file extension (.xyz)"));
    QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), bad);
    QCOMPARE(view->PictureBytes(), before);
}

void WindowTest::recognisingWithoutAPictureSendsNothing() {
    TForm1 form(TestSettings(dir_.path()));
    Child<QPlainTextEdit>(&form, "cxMemo1")->setPlainText(QStringLiteral("kept"));
    form.cxButton1Click();
    QCOMPARE(form.PendingRecognitions(), 0);
    QVERIFY(Child<QPushButton>(&form, "cxButton1")->isEnabled());
    QVERIFY(form.StatusText().startsWith(QStringLiteral("没有可识别的图片")));
    QCOMPARE(Child<QPlainTextEdit>(&form, "cxMemo1")->toPlainText(), QStringLiteral("kept"));
}

void WindowTest::webRecognitionWithEmptyAddressShowsAnError() {
    TForm1 form(TestSettings(dir_.path()));
    Child<QLineEdit>(&form, "edt_Url")->clear();
    const auto seen = testing_support::WatchMessageBox(
        [&] { quillory::RunGuarded([&] { form.cxButton2Click(); }); });
    QVERIFY(seen.shown);
    QCOMPARE(form.PendingRecognitions(), 0);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
