// What the window offers beyond its first design: failure causes, drops, keys, copying
// the recognised text and the boxes over the picture.

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "app/BrowserPane.h"
#include "app/ButtonEdit.h"
#include "app/CaptureOverlay.h"
#include "app/ErrorBox.h"
#include "app/FailureText.h"
#include "app/M_Quillory.h"
#include "app/PictureView.h"
#include "app/ResultDisplay.h"
#include "app/ResultMemo.h"
#include "pictures/file_formats.h"
#include "soap/errors.h"
#include "test_support.h"

Q_DECLARE_METATYPE(std::exception_ptr)

using testing_support::Child;
using testing_support::OfflineSettings;

namespace {

const QString kEndpoint = QStringLiteral("http://127.0.0.1:8723/ocrgate/ocrgate.asmx?WSDL");

// A reply read as the window reads it and shown in `memo`; its reading.
reply::Reading Show(const QString& text, QPlainTextEdit* memo) {
    reply::Reading reading = reply::ReadReply(text.toStdU16String());
    quillory::ShowResult(text, reading, memo);
    return reading;
}

// A fault whose English says one thing while its reason says another: the reason decides.
std::exception_ptr Fault(const char16_t* code, const std::u16string& reason) {
    const std::u16string detail =
        reason.empty() ? u"" : u"<detail><reason xmlns=\"http://quillory.org/ocrgate/\">" +
                                   reason + u"</reason></detail>";
    return std::make_exception_ptr(soap::ERemotableException(
        "Address refused: 10.0.0.1 is a private address", code, u"", detail));
}
std::exception_ptr Fault(const char* code, const char* reason) {
    return Fault(QString::fromLatin1(code).toStdU16String().c_str(),
                 QString::fromLatin1(reason).toStdU16String());
}

std::exception_ptr Transport(int transportCode, int status = 0, const char* reason = "") {
    return std::make_exception_ptr(
        soap::ESOAPHTTPException("Operation timed out: Couldn't connect", status, transportCode, reason));
}

// Drags `data` over `target` and drops it there, as a user's mouse would.
void Drop(QWidget* target, QMimeData* data) {
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    delete data;
}

QMimeData* Urls(const QList<QUrl>& urls) {
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

}  // namespace

class WindowExtrasTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void failureCause_data();
    void failureCause();
    void qtTextsAreChinese();
    void unreachableServiceLeadsTheStatus();
    void failedLoadNamesTheHeldPicture();
    void topRowsStayWhole_data();
    void topRowsStayWhole();
    void drops_data();
    void drops();
    void newPictureClearsTheStatus_data();
    void newPictureClearsTheStatus();
    void keys();
    void copyAll_data();
    void copyAll();
    void copiedCountSaysWhatWasCopied_data();
    void copiedCountSaysWhatWasCopied();
    void convertScript_data();
    void convertScript();
    void captureHintKeepsClearOfTheRectangle_data();
    void captureHintKeepsClearOfTheRectangle();
    void tablesShowAsRowsAndCopyAsCells();
    void boxesFollowTheLines();

  private:
    QString Picture(const QString& name, const char* format);
    QTemporaryDir dir_;
};

void WindowExtrasTest::initTestCase() {
    pictures::RegisterPictureKinds();
    QVERIFY(dir_.isValid());
}

QString WindowExtrasTest::Picture(const QString& name, const char* format) {
    const QString path = dir_.filePath(name);
    testing_support::RenderText({QStringLiteral("图")}).save(path, format);
    return path;
}

void WindowExtrasTest::failureCause_data() {
    QTest::addColumn<std::exception_ptr>("error");
    QTest::addColumn<QString>("lead");  // how the cause begins
    // Told apart by codes alone: every message below is the same English, or misleading.
    QTest::newRow("nothing listens") << Transport(7) << QStringLiteral("识别服务未响应：");
    QTest::newRow("host unknown") << Transport(6) << QStringLiteral("识别服务未响应：");
    QTest::newRow("no reply in time") << Transport(28) << QStringLiteral("识别超时：服务在限定时间");
    QTest::newRow("connection dropped") << Transport(52)
                                        << QStringLiteral("与识别服务的连接中断：");
    QTest::newRow("certificate") << Transport(60) << QStringLiteral("无法与识别服务建立安全连接：");
    QTest::newRow("other transport code") << Transport(3) << QStringLiteral("无法与识别服务通信：");
    QTest::newRow("not a SOAP answer") << Transport(0) << QStringLiteral("这个地址上的服务不是识别服务：");
    QTest::newRow("starting") << Transport(0, 503, "starting") << QStringLiteral("识别服务正在启动：");
    QTest::newRow("busy") << Transport(0, 503, "busy") << QStringLiteral("识别服务正忙：");
    QTest::newRow("503 from elsewhere") << Transport(0, 503) << QStringLiteral("识别服务正忙：");
    QTest::newRow("shutting down") << Transport(0, 503, "shutting-down")
                                   << QStringLiteral("识别服务正在停止：");
    QTest::newRow("body too large") << Transport(0, 413, "too-large") << QStringLiteral("图片太大：");
    QTest::newRow("wrong path") << Transport(0, 404) << QStringLiteral("这个地址上没有识别服务：");
    QTest::newRow("sign-in wanted") << Transport(0, 401) << QStringLiteral("识别服务拒绝访问：");
    QTest::newRow("time limit") << Fault("soap:Client", "time-limit")
                                << QStringLiteral("识别超时：这张图片");
    QTest::newRow("not http") << Fault("soap:Client", "address-scheme")
                              << QStringLiteral("不是网络图片的网址：");
    QTest::newRow("private address") << Fault("soap:Client", "address-private")
                                     << QStringLiteral("服务拒绝了这个网址：");
    QTest::newRow("fetch failed") << Fault("soap:Server", "fetch-failed")
                                  << QStringLiteral("服务无法下载这张网络图片：");
    QTest::newRow("fetch too slow") << Fault("soap:Server", "fetch-time-limit")
                                    << QStringLiteral("下载网络图片超时：");
    QTest::newRow("not a picture") << Fault("soap:Client", "not-a-picture")
                                   << QStringLiteral("不是可识别的图片：");
    QTest::newRow("picture too large") << Fault("soap:Client", "too-large")
                                       << QStringLiteral("图片太大：");
    QTest::newRow("nothing sent") << Fault("soap:Client", "empty")
                                  << QStringLiteral("没有发送图片或网址：");
    QTest::newRow("unknown word, client side") << Fault("soap:Client", "no-such-word")
                                               << QStringLiteral("识别服务不接受这个请求：");
    QTest::newRow("no detail, server side") << Fault("soap:Server", "")
                                            << QStringLiteral("识别服务内部出错：");
    QTest::newRow("reply not an envelope")
        << std::make_exception_ptr(soap::ESOAPDomConvertError("Invalid SOAP response"))
        << QStringLiteral("识别服务的回复无法读取：");
    QTest::newRow("sign-in prompt cancelled") << std::make_exception_ptr(soap::EAbort())
                                              << QStringLiteral("登录提示已取消");
}

void WindowExtrasTest::failureCause() {
    QFETCH(std::exception_ptr, error);
    QFETCH(QString, lead);
    const QString cause = quillory::FailureCause(error, kEndpoint);
    QVERIFY2(cause.startsWith(lead), qPrintable(cause));
}

void WindowExtrasTest::qtTextsAreChinese() {
    QVERIFY(quillory::InstallQtTranslations());
    quillory::ResultMemo memo;
    memo.setPlainText(QStringLiteral("文字"));
    std::unique_ptr<QMenu> menu(memo.createStandardContextMenu());
    QStringList entries;
    for (const QAction* action : menu->actions())
        entries << action->text();
    QVERIFY2(entries.filter(QStringLiteral("复制")).size() == 1 &&
                 entries.filter(QStringLiteral("Copy")).isEmpty(),
             qPrintable(entries.join(u'|')));
}

void WindowExtrasTest::unreachableServiceLeadsTheStatus() {
    TForm1 form(OfflineSettings(dir_.path()));
    Child<quillory::PictureView>(&form, "cxImage1")->LoadFromFile(Picture("down.bmp", "BMP"));
    QSignalSpy finished(&form, &TForm1::recognitionFinished);
    form.cxButton1Click();
    QVERIFY(finished.wait(20000));
    QVERIFY2(form.StatusText().startsWith(QStringLiteral("识别失败：识别服务未响应：")),
             qPrintable(form.StatusText()));
    // The raw message stays at hand.
    QVERIFY2(form.StatusToolTip().contains(QStringLiteral("127.0.0.1:9")),
             qPrintable(form.StatusToolTip()));
}

void WindowExtrasTest::failedLoadNamesTheHeldPicture() {
    TForm1 form(OfflineSettings(dir_.path()));
    auto* field = Child<QLineEdit>(&form, "edt_img");
    const QString bad = dir_.filePath("notes.txt");
    QFile text(bad);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("text");
    text.close();
    const auto choose = [&](const QString& path) {
        testing_support::ChooseInDialog(form.OpenDialog(), path);
        testing_support::WatchMessageBox(
            [&] { quillory::RunGuarded([&] { form.edt_imgPropertiesButtonClick(); }); });
    };
    choose(bad);
    QCOMPARE(field->text(), QString());  // nothing held
    const QString good = Picture("held.png", "PNG");
    choose(good);
    choose(bad);
    QCOMPARE(field->text(), good);
    QApplication::clipboard()->setImage(QImage(8, 8, QImage::Format_RGB32));
    Child<quillory::PictureView>(&form, "cxImage1")->Paste();
    QCOMPARE(field->text(), QStringLiteral("（粘贴的图片）"));  // no file: named as pasted
    choose(bad);
    QCOMPARE(field->text(), QStringLiteral("（粘贴的图片）"));
}

void WindowExtrasTest::topRowsStayWhole_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("panel");
    QTest::newRow("local") << 0 << "Panel1";
    QTest::newRow("web") << 1 << "Panel4";
}

void WindowExtrasTest::topRowsStayWhole() {
    QFETCH(int, tab);
    QFETCH(QString, panel);
    TForm1 form(OfflineSettings(dir_.path()));
    form.show();
    // A small screen's size; the window lets itself be made that small.
    form.resize(1024, 600);
    Child<QTabWidget>(&form, "cxPageControl1")->setCurrentIndex(tab);
    QApplication::processEvents();
    QCOMPARE(form.size(), QSize(1024, 600));
    for (QWidget* control : Child<QWidget>(&form, qPrintable(panel))
                                ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect where(control->mapTo(&form, QPoint(0, 0)), control->size());
        QVERIFY2(where.right() < form.width(), qPrintable(control->objectName()));
        // Nothing overlaps its neighbour as the row narrows.
        for (QWidget* other : control->parentWidget()->findChildren<QWidget*>(
                 QString(), Qt::FindDirectChildrenOnly)) {
            QVERIFY2(other == control || !other->geometry().intersects(control->geometry()),
                     qPrintable(control->objectName() + u' ' + other->objectName()));
        }
    }
}

void WindowExtrasTest::drops_data() {
    QTest::addColumn<QString>("target");   // where it is dropped
    QTest::addColumn<QString>("dropped");  // what: file:NAME, files, image, address, text
    QTest::addColumn<QString>("path");     // the path field afterwards
    QTest::addColumn<bool>("held");        // a picture is held afterwards
    QTest::addColumn<QString>("status");   // how the status line begins
    QTest::addColumn<QString>("address");  // the address field afterwards; empty: unchanged
    QTest::newRow("picture on the browser pane") << "WebBrowser1"
                                                 << "file:drop.png"
                                                 << "drop.png" << true << ""
                                                 << "";
    QTest::newRow("picture on the result memo") << "cxMemo1"
                                                << "file:drop.jpg"
                                                << "drop.jpg" << true << ""
                                                << "";
    QTest::newRow("text file") << "Panel2"
                               << "file:notes.txt"
                               << "" << false << "无法放入：不是图片文件：notes.txt"
                               << "";
    QTest::newRow("two files") << "edt_img"
                               << "files"
                               << "" << false << "无法放入：一次只能放入一个图片文件"
                               << "";
    QTest::newRow("image data") << "cxTabSheet1"
                                << "image"
                                << "（拖放的图片）" << true << ""
                                << "";
    QTest::newRow("browser picture on the local tab: its data") << "Panel7"
                                                                << "browser"
                                                                << "（拖放的图片）" << true << ""
                                                                << "";
    QTest::newRow("browser picture on the web tab: its address") << "Panel5"
                                                                 << "browser"
                                                                 << "" << false << ""
                                                                 << "https://example.org/a.jpg";
    QTest::newRow("address on the web tab") << "WebBrowser2"
                                            << "address"
                                            << "" << false << ""
                                            << "https://example.org/a.jpg";
    QTest::newRow("picture on the web tab") << "cxMemo2"
                                            << "file:drop.png"
                                            << "" << false << "无法放入：这里只能放入图片的网址"
                                            << "";
}

void WindowExtrasTest::drops() {
    QFETCH(QString, target);
    QFETCH(QString, dropped);
    QFETCH(QString, path);
    QFETCH(bool, held);
    QFETCH(QString, status);
    QFETCH(QString, address);
    Picture("drop.png", "PNG");
    Picture("drop.jpg", "JPEG");
    QFile text(dir_.filePath("notes.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("text");
    text.close();

    TForm1 form(OfflineSettings(dir_.path()));
    QMimeData* data = nullptr;
    if (dropped.startsWith(u"file:")) {
        data = Urls({QUrl::fromLocalFile(dir_.filePath(dropped.mid(5)))});
    } else if (dropped == u"files") {
        data = Urls({QUrl::fromLocalFile(dir_.filePath("drop.png")),
                     QUrl::fromLocalFile(dir_.filePath("drop.jpg"))});
    } else if (dropped == u"image" || dropped == u"browser") {
        data = new QMimeData;
        data->setImageData(QImage(30, 20, QImage::Format_RGB32));
        if (dropped == u"browser")
            data->setUrls({QUrl(QStringLiteral("https://example.org/a.jpg"))});
    } else {
        data = new QMimeData;
        data->setText(QStringLiteral("https://example.org/a.jpg"));
    }
    const QString before = Child<QLineEdit>(&form, "edt_Url")->text();
    Drop(Child<QWidget>(&form, qPrintable(target)), data);

    // A file by its path; a picture without one by what it is.
    const QString expectedPath =
        path.isEmpty() || path.startsWith(u'（') ? path : dir_.filePath(path);
    QCOMPARE(Child<QLineEdit>(&form, "edt_img")->text(), expectedPath);
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    QCOMPARE(view->HoldsPicture(), held);
    if (!expectedPath.isEmpty() && !path.startsWith(u'（')) {
        QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser1")->LastAddress(), expectedPath);
        QVERIFY(!view->isHidden());
    }
    QVERIFY2(status.isEmpty() ? form.StatusText().isEmpty() : form.StatusText().startsWith(status),
             qPrintable(form.StatusText()));
    QCOMPARE(Child<QLineEdit>(&form, "edt_Url")->text(), address.isEmpty() ? before : address);
}

void WindowExtrasTest::newPictureClearsTheStatus_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("picked") << "picked";
    QTest::newRow("pasted") << "pasted";
    QTest::newRow("file dropped") << "file dropped";
    QTest::newRow("image dropped") << "image dropped";
}

void WindowExtrasTest::newPictureClearsTheStatus() {
    QFETCH(QString, how);
    TForm1 form(OfflineSettings(dir_.path()));
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    view->LoadFromFile(Picture("old.bmp", "BMP"));
    // A failed recognition leaves its cause, and the raw message in the tooltip.
    QSignalSpy finished(&form, &TForm1::recognitionFinished);
    form.cxButton1Click();
    QVERIFY(finished.wait(20000));
    QVERIFY(!form.StatusText().isEmpty());
    QVERIFY(!form.StatusToolTip().isEmpty());

    const QString next = Picture("next.png", "PNG");
    if (how == u"picked") {
        testing_support::ChooseInDialog(form.OpenDialog(), next);
        form.edt_imgPropertiesButtonClick();
    } else if (how == u"pasted") {
        QApplication::clipboard()->setImage(QImage(8, 8, QImage::Format_RGB32));
        view->Paste();
    } else {
        auto* data = new QMimeData;
        if (how == u"file dropped")
            data->setUrls({QUrl::fromLocalFile(next)});
        else
            data->setImageData(QImage(30, 20, QImage::Format_RGB32));
        Drop(Child<QWidget>(&form, "cxTabSheet1"), data);
    }
    QVERIFY(view->PictureSerial() > 1);  // the picture did change
    QCOMPARE(form.StatusText(), QString());
    QCOMPARE(form.StatusToolTip(), QString());
}

void WindowExtrasTest::keys() {
    TForm1 form(OfflineSettings(dir_.path()));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    view->setVisible(true);
    auto* memo = Child<QPlainTextEdit>(&form, "cxMemo1");

    // Tab walks from the path field over the … button and the memo to the picture view,
    // and never types into the memo.
    auto* field = Child<quillory::ButtonEdit>(&form, "edt_img");
    field->setFocus();
    QStringList walked;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, (QStringList{"ellipsisButton", "cxButton1", "cxMemo1", "cxImage1"}));
    QVERIFY(!memo->toPlainText().contains(u'\t'));

    // Ctrl+O opens the file dialog from anywhere in the window.
    Child<QTabWidget>(&form, "cxPageControl1")->setCurrentIndex(2);
    bool opened = false;
    QTimer::singleShot(100, form.OpenDialog(), [&] {
        opened = form.OpenDialog()->isVisible();
        form.OpenDialog()->reject();
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(opened);
    QCOMPARE(Child<QTabWidget>(&form, "cxPageControl1")->currentIndex(), 0);

    // Ctrl+Shift+A starts a capture: the window steps aside first.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(form.isHidden());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // Ctrl+Shift+C copies the tab's recognised lines from anywhere in it, the picture
    // included, and says how many it copied.
    Child<QTabWidget>(&form, "cxPageControl1")->setCurrentIndex(0);
    Show(QStringLiteral(R"({"words_result":[{"words":"甲"},{"words":"乙"}]})"), memo);
    static_cast<quillory::ResultMemo*>(memo)->KeepLines(2);
    view->SetImage(QImage(40, 40, QImage::Format_RGB32));
    view->setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("甲\n乙"));
    QCOMPARE(form.StatusText(), QStringLiteral("已复制 2 行文字"));

    // Ctrl+Enter is 识别 of the tab in front, from any of its controls.
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(form.PendingRecognitions(), 1);
    form.CancelRecognitions();

    // Enter in the address field starts the web recognition; Esc calls it off.
    Child<QTabWidget>(&form, "cxPageControl1")->setCurrentIndex(1);
    auto* address = Child<QLineEdit>(&form, "edt_Url");
    address->setText(QStringLiteral("https://example.org/a.jpg"));
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Return);
    QCOMPARE(form.PendingRecognitions(), 1);
    QCOMPARE(Child<quillory::BrowserPane>(&form, "WebBrowser2")->LastAddress(), address->text());
    QTest::keyClick(address, Qt::Key_Escape);
    QCOMPARE(form.PendingRecognitions(), 0);
    QCOMPARE(form.StatusText(), QStringLiteral("识别已取消"));
    QVERIFY(Child<QPushButton>(&form, "cxButton2")->isEnabled());
}

void WindowExtrasTest::copyAll_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("byParagraph");
    QTest::addColumn<QString>("edited");  // the memo's text after the user's edit; empty: none
    QTest::addColumn<QString>("copied");
    const QString reply =
        QStringLiteral(R"({"words_result":[{"words":"第一行"},{"words":""},{"words":"third"}]})");
    QTest::newRow("lines without spacers") << reply << false << ""
                                           << "第一行\n\nthird";
    QTest::newRow("a corrected line") << reply << false << "第一行\n\n\n\n3rd\n"
                                      << "第一行\n\n3rd";
    QTest::newRow("an added line: the text as it stands")
        << reply << false << "第一行\n\n\n\nthird\n\n!"
        << "第一行\n\n\n\nthird\n\n!";
    QTest::newRow("reply shown as received") << "{\"words_result\":[1e999]}" << false << ""
                                             << "{\"words_result\":[1e999]}";
    const QString paragraphs = QStringLiteral(
        R"({"words_result":[{"words":"识别图片"},{"words":"上的文字"},{"words":"well recog-"},)"
        R"({"words":"nised text"},{"words":"A-"},{"words":"Z"}],"paragraphs_result":[)"
        R"({"words_result_idx":[0,1]},{"words_result_idx":[2,3]},{"words_result_idx":[4,5]}]})");
    QTest::newRow("paragraphs joined") << paragraphs << true << ""
                                       << "识别图片上的文字\nwell recognised text\nA-Z";
    QTest::newRow("paragraphs, shown by lines") << paragraphs << false << ""
                                                << "识别图片\n上的文字\nwell recog-\nnised "
                                                   "text\nA-\nZ";
    QTest::newRow("no paragraphs: each line one") << reply << true << ""
                                                  << "第一行\n\nthird";
    const QString overlapping = QStringLiteral(
        R"({"words_result":[{"words":"a"},{"words":"b"}],)"
        R"("paragraphs_result":[{"words_result_idx":[0,1]},{"words_result_idx":[1]}]})");
    QTest::newRow("a line in two paragraphs: each line one") << overlapping << true << ""
                                                             << "a\nb";
}

void WindowExtrasTest::copyAll() {
    QFETCH(QString, reply);
    QFETCH(bool, byParagraph);
    QFETCH(QString, edited);
    QFETCH(QString, copied);
    quillory::ResultMemo memo;
    memo.ParagraphsAction()->setChecked(byParagraph);
    memo.SetRecognised(Show(reply, &memo));
    if (!edited.isEmpty())
        memo.setPlainText(edited);
    QApplication::clipboard()->clear();
    memo.CopyAll();
    QCOMPARE(QApplication::clipboard()->text(), copied);
}

void WindowExtrasTest::convertScript_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("byParagraph");
    QTest::addColumn<QString>("edited");  // the user's text before converting; empty: none
    QTest::addColumn<QString>("shown");   // what the memo copies after
    QTest::addColumn<QString>("afterToggle");  // and after the view is switched
    QTest::newRow("lines to Traditional")
        << "toTraditionalAction" << false << QString() << QStringLiteral("頭髮\n後來在裏面")
        << QStringLiteral("頭髮後來在裏面");
    QTest::newRow("paragraphs to Traditional")
        << "toTraditionalAction" << true << QString() << QStringLiteral("頭髮後來在裏面")
        << QStringLiteral("頭髮\n後來在裏面");
    QTest::newRow("the user's correction kept")
        << "toTraditionalAction" << false << QStringLiteral("头发\n\n后来在外面\n")
        << QStringLiteral("頭髮\n後來在外面") << QStringLiteral("頭髮後來在裏面");
    QTest::newRow("Traditional to Simplified")
        << "toSimplifiedAction" << false << QStringLiteral("頭髮\n\n後來\n")
        << QStringLiteral("头发\n后来") << QStringLiteral("头发后来在里面");
}

void WindowExtrasTest::convertScript() {
    QFETCH(QString, action);
    QFETCH(bool, byParagraph);
    QFETCH(QString, edited);
    QFETCH(QString, shown);
    QFETCH(QString, afterToggle);
    quillory::ResultMemo memo;
    memo.ParagraphsAction()->setChecked(byParagraph);
    memo.SetRecognised(Show(QStringLiteral(R"({"words_result":[{"words":"头发"},)"
                                           R"({"words":"后来在里面"}],"paragraphs_result":)"
                                           R"([{"words_result_idx":[0,1]}]})"),
                            &memo));
    if (!edited.isEmpty())
        memo.setPlainText(edited);
    memo.findChild<QAction*>(action)->trigger();
    QCOMPARE(memo.RecognisedText(), shown);
    memo.ParagraphsAction()->toggle();
    QCOMPARE(memo.RecognisedText(), afterToggle);
}

void WindowExtrasTest::copiedCountSaysWhatWasCopied_data() {
    QTest::addColumn<bool>("byParagraph");
    QTest::addColumn<QString>("status");
    QTest::newRow("lines") << false << QStringLiteral("已复制 4 行文字");
    QTest::newRow("paragraphs") << true << QStringLiteral("已复制 2 段文字");
}

void WindowExtrasTest::copiedCountSaysWhatWasCopied() {
    QFETCH(bool, byParagraph);
    QFETCH(QString, status);
    QTemporaryDir own;  // the paragraph choice is kept: not in the other tests' settings
    TForm1 form(OfflineSettings(own.path()));
    auto* memo = Child<quillory::ResultMemo>(&form, "cxMemo1");
    memo->ParagraphsAction()->setChecked(byParagraph);
    memo->SetRecognised(Show(
        QStringLiteral(R"({"words_result":[{"words":"甲"},{"words":"乙"},{"words":"丙"},)"
                       R"({"words":"丁"}],"paragraphs_result":[{"words_result_idx":[0,1]},)"
                       R"({"words_result_idx":[2,3]}]})"),
        memo));
    form.CopyAllOfTab();
    QCOMPARE(form.StatusText(), status);
}

void WindowExtrasTest::captureHintKeepsClearOfTheRectangle_data() {
    QTest::addColumn<QRect>("dragged");  // empty: nothing dragged yet
    QTest::addColumn<bool>("hinted");
    QTest::newRow("before a drag") << QRect() << true;
    QTest::newRow("under the top middle") << QRect(300, 10, 200, 100) << true;
    QTest::newRow("down the middle") << QRect(300, 10, 200, 580) << true;
    QTest::newRow("a small one in a corner") << QRect(5, 5, 60, 40) << true;
    QTest::newRow("nearly the whole screen") << QRect(10, 10, 780, 580) << false;
}

void WindowExtrasTest::captureHintKeepsClearOfTheRectangle() {
    QFETCH(QRect, dragged);
    QFETCH(bool, hinted);
    QImage shot(800, 600, QImage::Format_RGB32);
    shot.fill(QColor(200, 220, 240));
    quillory::CaptureOverlay overlay(shot);
    overlay.setAttribute(Qt::WA_DeleteOnClose, false);
    overlay.resize(shot.size());
    overlay.show();
    QVERIFY(QTest::qWaitForWindowExposed(&overlay));
    if (!dragged.isEmpty()) {
        QTest::mousePress(&overlay, Qt::LeftButton, {}, dragged.topLeft());
        QTest::mouseMove(&overlay, dragged.bottomRight());
    }
    const QImage drawn = overlay.grab().toImage();
    const QRect hint = overlay.HintRect();
    QCOMPARE(!hint.isEmpty(), hinted);
    // The rectangle shows the screen as it is, the hint nowhere over it.
    const QRect inside = dragged.adjusted(1, 1, -1, -1);
    QVERIFY(drawn.copy(inside).convertToFormat(QImage::Format_RGB32) == shot.copy(inside));
    if (!hinted)
        return;
    // The hint is drawn: a dark box, with light text on it.
    int light = 0;
    for (int y = hint.top(); y <= hint.bottom(); ++y) {
        for (int x = hint.left(); x <= hint.right(); ++x)
            light += drawn.pixelColor(x, y).lightness() > 200;
    }
    QVERIFY2(light > 20, qPrintable(QString::number(light)));
    QVERIFY(drawn.pixelColor(hint.center().x(), hint.top() + 2).lightness() < 80);
}

void WindowExtrasTest::tablesShowAsRowsAndCopyAsCells() {
    // A line above a table whose header spans its two columns.
    const QString reply = QStringLiteral(
        R"({"words_result":[{"words":"价目表","location":{"left":10,"top":5,"width":80,"height":20}},)"
        R"({"words":"2026","location":{"left":10,"top":40,"width":60,"height":20}},)"
        R"({"words":"苹果","location":{"left":10,"top":70,"width":40,"height":20}},)"
        R"({"words":"5.50","location":{"left":110,"top":70,"width":40,"height":20}}],)"
        R"("tables_result":[{"table_location":[{"x":0,"y":30},{"x":200,"y":30},{"x":200,"y":100},)"
        R"({"x":0,"y":100}],"body":[{"row_start":0,"row_end":1,"col_start":0,"col_end":2,"words":"2026"},)"
        R"({"row_start":1,"row_end":2,"col_start":0,"col_end":1,"words":"苹果"},)"
        R"({"row_start":1,"row_end":2,"col_start":1,"col_end":2,"words":"5.50"}]}]})");
    for (const bool byParagraph : {false, true}) {
        quillory::ResultMemo memo;
        memo.ParagraphsAction()->setChecked(byParagraph);
        const reply::Reading reading = Show(reply, &memo);
        QCOMPARE(reading.tables.size(), std::size_t(1));
        memo.SetRecognised(reading);
        QCOMPARE(memo.toPlainText(), QStringLiteral("价目表\n\n2026\t\n\n苹果\t5.50\n"));
        QVERIFY(memo.CopyTablesAction()->isEnabled());
        QSignalSpy copied(&memo, &quillory::ResultMemo::tableCopied);
        memo.CopyTables();
        QCOMPARE(copied.value(0).value(0).toInt(), 2);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), QStringLiteral("2026\t\n苹果\t5.50\n"));
        QVERIFY(data->html().contains(QStringLiteral("<td colspan=\"2\">2026</td>")));
    }
}

void WindowExtrasTest::boxesFollowTheLines() {
    TForm1 form(OfflineSettings(dir_.path()));
    form.resize(1305, 675);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* view = Child<quillory::PictureView>(&form, "cxImage1");
    auto* memo = Child<quillory::ResultMemo>(&form, "cxMemo1");
    view->setVisible(true);
    Child<QWidget>(&form, "Panel7")->setVisible(false);
    QImage black(2000, 400, QImage::Format_RGB32);  // shrunk to the view's width
    black.fill(Qt::black);
    view->SetImage(black);
    Show(QStringLiteral(R"({"words_result":[
        {"words":"a","location":{"left":100,"top":40,"width":800,"height":60}},
        {"words":"b"},
        {"words":"c","location":{"left":1000,"top":300,"width":400,"height":50}}]})"),
         memo);
    memo->KeepLines(3);
    view->SetTextBoxes({QRectF(100, 40, 800, 60), QRectF(), QRectF(1000, 300, 400, 50)});
    QApplication::processEvents();

    const QRect drawn = view->DrawnRect();
    const double scale = drawn.width() / 2000.0;
    const QRect first = view->BoxOnScreen(0);
    QVERIFY(qAbs(first.left() - (drawn.left() + 100 * scale)) <= 1);
    QVERIFY(qAbs(first.width() - 800 * scale) <= 1);
    QVERIFY(view->BoxOnScreen(1).isEmpty());  // a line without a location has no box

    memo->SelectLine(2);
    QCOMPARE(view->MarkedBox(), 2);
    QTest::mouseClick(view, Qt::LeftButton, {}, first.center());
    QCOMPARE(memo->CurrentLine(), 0);
    QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("a"));

    // Shown by paragraphs, a paragraph marks the boxes of all its lines, and a box selects
    // its paragraph.
    memo->SetRecognised(reply::ReadReply(
        uR"({"words_result":[{"words":"a"},{"words":"b"},{"words":"c"}],)"
        uR"("paragraphs_result":[{"words_result_idx":[0,1]},{"words_result_idx":[2]}]})"));
    memo->ParagraphsAction()->setChecked(true);
    QCOMPARE(memo->toPlainText(), QStringLiteral("a b\n\nc\n"));
    memo->SelectLine(1);
    QCOMPARE(view->MarkedBoxes(), (QList<int>{0, 1}));
    QTest::mouseClick(view, Qt::LeftButton, {}, view->BoxOnScreen(2).center());
    QCOMPARE(memo->CurrentLine(), 1);
    QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("c"));
    QCOMPARE(view->MarkedBoxes(), (QList<int>{2}));
    memo->ParagraphsAction()->setChecked(false);
    QCOMPARE(memo->toPlainText(), QStringLiteral("a\n\nb\n\nc\n"));

    // A code's entry follows the lines in either view, and its box points at it.
    memo->SetRecognised(reply::ReadReply(
        uR"({"words_result":[{"words":"a"},{"words":"b"},{"words":"c"}],)"
        uR"("paragraphs_result":[{"words_result_idx":[0,1]},{"words_result_idx":[2]}],)"
        uR"("codes_result":[{"type":"QR_CODE","text":["q"]}]})"));
    view->SetTextBoxes({QRectF(100, 40, 800, 60), QRectF(), QRectF(1000, 300, 400, 50),
                        QRectF(1500, 100, 200, 200)});
    for (const bool byParagraph : {true, false}) {
        memo->ParagraphsAction()->setChecked(byParagraph);
        QVERIFY(memo->toPlainText().endsWith(QStringLiteral("c\n\n[QR_CODE] q\n")));
        QTest::mouseClick(view, Qt::LeftButton, {}, view->BoxOnScreen(3).center());
        QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("[QR_CODE] q"));
        QCOMPARE(view->MarkedBoxes(), (QList<int>{3}));
    }

    // The boxes are drawn, and Ctrl+B takes them away.
    const auto boxPixel = [&] {
        return view->grab().toImage().pixelColor(first.left(), first.center().y());
    };
    QCOMPARE(boxPixel(), QColor(0, 120, 215));
    QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(boxPixel(), QColor(Qt::black));
    QTest::keyClick(&form, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(boxPixel(), QColor(0, 120, 215));

    // A new picture forgets the old boxes.
    view->SetImage(QImage(50, 50, QImage::Format_RGB32));
    QVERIFY(view->BoxOnScreen(0).isEmpty());
}

QTEST_MAIN(WindowExtrasTest)
#include "tst_window_extras.moc"
