// The window: its control tree, texts, fonts and geometry, the file dialog, the splitter.

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

#include "app/BrowserPane.h"
#include "app/ButtonEdit.h"
#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "app/Splitter.h"
#include "app/WindowPlacement.h"
#include "pictures/file_formats.h"
#include "test_support.h"

using testing_support::Child;
using testing_support::OfflineSettings;

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

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void controlTree_data();
    void controlTree();
    void textsAndFonts();
    void placedGeometry_data();
    void placedGeometry();
    void fileDialogFilter();
    void opensCentredOnTheFirstTab_data();
    void opensCentredOnTheFirstTab();
    void placement_data();
    void placement();
    void splitterResizesOnlyTheResultColumn();

  private:
    QTemporaryDir dir_;
};

void WindowLayoutTest::initTestCase() {
    pictures::RegisterPictureKinds();
    QVERIFY(dir_.isValid());
}

void WindowLayoutTest::controlTree_data() {
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
    row("cxMemo1", "quillory::ResultMemo", "Panel3");
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
    row("cxMemo2", "quillory::ResultMemo", "Panel6");
    row("cxSplitter1", "quillory::Splitter", "Panel5");
    row("cxTabSheet3", "QWidget", "cxPageControl1");
    row("cxMemo3", "QPlainTextEdit", "cxTabSheet3");
    row("OpenDialog1", "QFileDialog", "Form1");
}

void WindowLayoutTest::controlTree() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    TForm1 form(OfflineSettings(dir_.path()));
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    if (name == QStringLiteral("OpenDialog1")) {
        // Made at its first use, then kept.
        QVERIFY(!form.findChild<QWidget*>(name));
        QCOMPARE(form.OpenDialog(), form.OpenDialog());
    }
    const QList<QWidget*> found = form.findChildren<QWidget*>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    QCOMPARE(ControlParent(found.first()), parent);
}

void WindowLayoutTest::textsAndFonts() {
    TForm1 form(OfflineSettings(dir_.path()));
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

void WindowLayoutTest::placedGeometry_data() {
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

void WindowLayoutTest::placedGeometry() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TForm1 form(OfflineSettings(dir_.path()));
    QCOMPARE(form.findChild<QWidget*>(name)->geometry(), geometry);
}

void WindowLayoutTest::fileDialogFilter() {
    TForm1 form(OfflineSettings(dir_.path()));
    QFileDialog* dialog = form.OpenDialog();
    const QStringList expected = {
        QStringLiteral("jpg文件 (*.jpg)"), QStringLiteral("jpeg文件 (*.jpeg)"),
        QStringLiteral("png文件 (*.png)"), QStringLiteral("bmp文件 (*.bmp)")};
    QCOMPARE(dialog->nameFilters(), expected);
    QCOMPARE(dialog->selectedNameFilter(), expected.first());
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("jpg"));
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
}

void WindowLayoutTest::opensCentredOnTheFirstTab_data() {
    QTest::addColumn<QString>("screen");  // as the test's screens.json names them
    QTest::addColumn<QSize>("size");
    QTest::newRow("room for the drawn size") << "wide" << QSize(1305, 675);
    // Narrower where the frame (2 pixels on every side here) would stick out of the screen.
    QTest::newRow("1280 x 720") << "laptop" << QSize(1276, 675);
    QTest::newRow("1024 x 600") << "netbook" << QSize(1020, 596);
}

void WindowLayoutTest::opensCentredOnTheFirstTab() {
    QFETCH(QString, screen);
    QFETCH(QSize, size);
    QScreen* where = nullptr;
    for (QScreen* each : QGuiApplication::screens())
        where = each->name() == screen ? each : where;
    if (!where)
        QSKIP("the platform offers no such screen");
    TForm1 form(OfflineSettings(dir_.path()));
    form.setScreen(where);
    form.move(where->geometry().topLeft() + QPoint(3, 4));  // wherever it stood, it opens centred
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), size);
    const QPoint centre = where->geometry().center();
    // Within the window frame's few pixels, which the platform adds after the first show.
    QVERIFY2((form.frameGeometry().center() - centre).manhattanLength() <= 4,
             qPrintable(QStringLiteral("centre at %1,%2")
                            .arg(form.frameGeometry().center().x())
                            .arg(form.frameGeometry().center().y())));
    QVERIFY(where->availableGeometry().contains(form.frameGeometry()));
    QCOMPARE(Child<QTabWidget>(&form, "cxPageControl1")->currentIndex(), 0);
}

void WindowLayoutTest::placement_data() {
    QTest::addColumn<QSize>("smallest");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("room");    // the screen's free area
    QTest::addColumn<QRect>("placed");  // the window without its frame
    const QSize smallest(700, 300);
    const QMargins titled(4, 30, 4, 4);
    QTest::newRow("room to spare") << smallest << titled << QRect(0, 0, 1920, 1080)
                                   << QRect(307, 215, 1305, 675);
    QTest::newRow("1024 x 600: the frame fits") << smallest << titled << QRect(0, 0, 1024, 600)
                                                << QRect(4, 30, 1016, 566);
    QTest::newRow("a panel along the top") << smallest << titled << QRect(0, 27, 1024, 573)
                                           << QRect(4, 57, 1016, 539);
    QTest::newRow("a screen right of another") << smallest << titled
                                               << QRect(1920, 0, 1280, 720)
                                               << QRect(1924, 35, 1272, 675);
    QTest::newRow("no frame known") << smallest << QMargins() << QRect(0, 0, 1024, 600)
                                    << QRect(0, 0, 1024, 600);
    QTest::newRow("too small even for the smallest: the title bar stays")
        << QSize(1100, 650) << titled << QRect(0, 0, 1024, 600) << QRect(4, 30, 1100, 650);
}

void WindowLayoutTest::placement() {
    QFETCH(QSize, smallest);
    QFETCH(QMargins, frame);
    QFETCH(QRect, room);
    QFETCH(QRect, placed);
    QCOMPARE(quillory::PlaceWindow(QSize(1305, 675), smallest, frame, room), placed);
}

void WindowLayoutTest::splitterResizesOnlyTheResultColumn() {
    TForm1 form(OfflineSettings(dir_.path()));
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

QTEST_MAIN(WindowLayoutTest)
#include "tst_window_layout.moc"
