// The picture view: where it draws, and how its commands change what a recognition sends.

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include "app/PictureFit.h"
#include "app/PictureView.h"
#include "pictures/file_formats.h"
#include "test_support.h"

class PictureViewTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void fitRect_data();
    void fitRect();
    void viewDrawsIntoTheFittedRect();
    void parentBackgroundShowsAround();
    void menuItemsAndEnabling();
    void deleteAndCutLeaveNothingToSend();
    void pasteSendsABitmap();
    void keyboardShortcuts();
    void drawErrorIsReportedOnce();
    void exifOrientation_data();
    void exifOrientation();

  private:
    QString SavePicture(const QString& name, const char* format, QSize size);
    QTemporaryDir dir_;
};

void PictureViewTest::initTestCase() {
    pictures::RegisterPictureKinds();
    QVERIFY(dir_.isValid());
}

QString PictureViewTest::SavePicture(const QString& name, const char* format, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(20, 90, 200));
    const QString path = dir_.filePath(name);
    if (!image.save(path, format))
        return {};
    return path;
}

void PictureViewTest::fitRect_data() {
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("drawn");
    QTest::newRow("wide, shrunk to the width")
        << QSize(700, 500) << QSize(2000, 1000) << QRect(0, 75, 700, 350);
    QTest::newRow("tall, shrunk to the height")
        << QSize(700, 500) << QSize(1000, 2000) << QRect(225, 0, 250, 500);
    QTest::newRow("small, natural size")
        << QSize(700, 500) << QSize(300, 200) << QRect(200, 150, 300, 200);
    QTest::newRow("exact fit") << QSize(700, 500) << QSize(700, 500) << QRect(0, 0, 700, 500);
    QTest::newRow("odd margins truncate")
        << QSize(701, 501) << QSize(300, 200) << QRect(200, 150, 300, 200);
    QTest::newRow("divisions truncate")
        << QSize(100, 100) << QSize(300, 200) << QRect(0, 17, 100, 66);
    QTest::newRow("only higher than the area")
        << QSize(700, 500) << QSize(100, 1000) << QRect(325, 0, 50, 500);
    QTest::newRow("empty area") << QSize(0, 0) << QSize(30, 20) << QRect(0, 0, 0, 0);
}

void PictureViewTest::fitRect() {
    QFETCH(QSize, client);
    QFETCH(QSize, picture);
    QFETCH(QRect, drawn);
    QCOMPARE(quillory::FitPictureRect(client, picture), drawn);
}

void PictureViewTest::viewDrawsIntoTheFittedRect() {
    quillory::PictureView view;
    view.resize(700, 500);
    QCOMPARE(view.DrawnRect(), QRect());
    view.LoadFromFile(SavePicture("wide.bmp", "BMP", QSize(2000, 1000)));
    QCOMPARE(view.DrawnRect(), QRect(0, 75, 700, 350));
    view.LoadFromFile(SavePicture("small.png", "PNG", QSize(300, 200)));
    QCOMPARE(view.DrawnRect(), QRect(200, 150, 300, 200));
}

void PictureViewTest::parentBackgroundShowsAround() {
    QWidget parent;
    parent.resize(200, 100);
    QPalette red = parent.palette();
    red.setColor(QPalette::Window, Qt::red);
    parent.setPalette(red);
    parent.setAutoFillBackground(true);
    auto* view = new quillory::PictureView(&parent);
    view->setGeometry(0, 0, 200, 100);
    view->LoadFromFile(SavePicture("centre.bmp", "BMP", QSize(50, 50)));
    const QImage shot = parent.grab().toImage();
    QCOMPARE(shot.pixelColor(5, 50), QColor(Qt::red));        // beside the picture
    QCOMPARE(shot.pixelColor(100, 50), QColor(20, 90, 200));  // the picture, centred
}

void PictureViewTest::menuItemsAndEnabling() {
    quillory::PictureView view;
    QApplication::clipboard()->clear();
    QStringList texts;
    for (QAction* action : view.ContextMenu()->actions())
        texts << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(texts, (QStringList{"Cu&t", "&Copy", "&Paste", "&Delete", "-", "&Load...",
                                 "Save &As...", "-", "显示文字框"}));

    const auto enabled = [&] {
        // The menu refreshes its items when it is asked for.
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0),
                                view.mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(&view, &event);
        view.ContextMenu()->hide();
        QString flags;
        for (QAction* action : view.ContextMenu()->actions()) {
            if (!action->isSeparator() && !action->isCheckable())
                flags += action->isEnabled() ? u'1' : u'0';
        }
        return flags;
    };
    QCOMPARE(enabled(), QStringLiteral("000010"));  // empty view, empty clipboard: Load only
    view.LoadFromFile(SavePicture("menu.bmp", "BMP", QSize(10, 10)));
    QCOMPARE(enabled(), QStringLiteral("110111"));
    QApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    QCOMPARE(enabled(), QStringLiteral("111111"));
}

void PictureViewTest::deleteAndCutLeaveNothingToSend() {
    quillory::PictureView view;
    const QString jpeg = SavePicture("photo.jpg", "JPEG", QSize(40, 30));
    view.LoadFromFile(jpeg);
    QVERIFY(view.HoldsPicture());
    view.Delete();
    QVERIFY(!view.HoldsPicture());
    QVERIFY(view.PictureBytes().isEmpty());

    view.LoadFromFile(jpeg);
    QApplication::clipboard()->clear();
    view.Cut();
    QVERIFY(!view.HoldsPicture());
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(40, 30));
}

void PictureViewTest::pasteSendsABitmap() {
    quillory::PictureView view;
    view.LoadFromFile(SavePicture("before.jpg", "JPEG", QSize(40, 30)));
    QVERIFY(view.PictureBytes().startsWith("\xff\xd8"));
    QImage pasted(64, 48, QImage::Format_RGB32);
    pasted.fill(Qt::green);
    QApplication::clipboard()->setImage(pasted);
    view.Paste();
    const QByteArray sent = view.PictureBytes();
    QVERIFY(sent.startsWith("BM"));
    QImage decoded;
    QVERIFY(decoded.loadFromData(sent, "BMP"));
    QCOMPARE(decoded.size(), QSize(64, 48));
    QCOMPARE(decoded.pixelColor(10, 10), QColor(Qt::green));
}

void PictureViewTest::keyboardShortcuts() {
    quillory::PictureView view;
    const QString bmp = SavePicture("keys.bmp", "BMP", QSize(20, 20));
    view.LoadFromFile(bmp);
    QApplication::clipboard()->clear();
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ControlModifier);  // copy
    QCOMPARE(QApplication::clipboard()->image().size(), QSize(20, 20));
    QVERIFY(view.HoldsPicture());
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier);  // cut
    QVERIFY(!view.HoldsPicture());
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);  // paste
    QVERIFY(view.HoldsPicture());
    QTest::keyClick(&view, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(!view.HoldsPicture());
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(view.PictureBytes().startsWith("BM"));
}

void PictureViewTest::drawErrorIsReportedOnce() {
    // A progressive JPEG whose second scan has impossible parameters: the header reads,
    // the decoding at the first draw fails.
    QImage source(64, 64, QImage::Format_RGB32);
    source.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(source));
    const qsizetype first = bytes.indexOf("\xff\xda");
    const qsizetype second = bytes.indexOf("\xff\xda", first + 2);
    QVERIFY(second > 0);
    const int components = uchar(bytes[second + 4]);
    const qsizetype ss = second + 5 + 2 * components;
    bytes[ss] = 0;       // an AC scan that starts at the DC coefficient,
    bytes[ss + 1] = 63;  // over the whole block: not a valid progression
    const QString path = dir_.filePath("damaged.jpg");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    quillory::PictureView view;
    view.resize(100, 100);
    view.LoadFromFile(path);  // loads: the header is sound
    QVERIFY(view.HoldsPicture());
    const auto seen = testing_support::WatchMessageBox([&] {
        for (int i = 0; i < 4; ++i) {
            view.grab();  // a repaint each time
            QTest::qWait(30);
        }
    });
    QCOMPARE(seen.count, 1);
    QVERIFY2(seen.text.startsWith(QStringLiteral("JPEG error #")), qPrintable(seen.text));
}

namespace {

// A JPEG whose orientation tag says `orientation` (1 to 8): an APP1 Exif segment with one
// entry, right after the start of the file.
QByteArray TaggedJpeg(const QImage& stored, int orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    stored.save(&buffer, "JPEG", 95);
    QByteArray exif("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08"
                    "\x00\x01" "\x01\x12\x00\x03\x00\x00\x00\x01",
                    4 + 6 + 8 + 2 + 8);
    exif += char(0);
    exif += char(orientation);
    exif += QByteArray(6, '\0');  // the value's padding, then no further directory
    return jpeg.left(2) + exif + jpeg.mid(2);
}

// The picture a reader that applies the tag shows.
QImage AsShown(const QByteArray& jpeg) {
    QBuffer buffer;
    buffer.setData(jpeg);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    return reader.read();
}

bool Red(const QColor& c) {
    return c.red() > 180 && c.green() < 90 && c.blue() < 90;
}

}  // namespace

void PictureViewTest::exifOrientation_data() {
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("undo");  // the orientation that turns a shown picture back
    for (const auto& [tag, undo] : {std::pair{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 8},
                                    {7, 7}, {8, 6}})
        QTest::addRow("orientation %d", tag) << tag << undo;
}

void PictureViewTest::exifOrientation() {
    QFETCH(int, orientation);
    QFETCH(int, undo);
    // Upright: white, 160 x 100, with a red block at its top left.
    QImage upright(160, 100, QImage::Format_RGB32);
    upright.fill(Qt::white);
    const QRect block(10, 10, 40, 20);
    QPainter(&upright).fillRect(block, Qt::red);
    // The stored pixels are the upright picture turned back; a reader applying the tag,
    // Qt's own, must show the upright one again.
    const QImage stored = AsShown(TaggedJpeg(upright, undo));
    const QByteArray jpeg = TaggedJpeg(stored, orientation);
    QVERIFY(Red(AsShown(jpeg).pixelColor(block.center())));
    const QString path = dir_.filePath(QStringLiteral("turned%1.jpg").arg(orientation));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size());
    file.close();

    quillory::PictureView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.LoadFromFile(path);
    QCOMPARE(view.PictureBytes(), jpeg);  // what is sent is the file as stored
    const QRect drawn = view.DrawnRect();
    QCOMPARE(drawn.size(), upright.size());  // shown upright, at its natural size here

    // The box a service finds around the block lies in the stored pixels.
    QRect found;
    for (int y = 0; y < stored.height(); ++y)
        for (int x = 0; x < stored.width(); ++x)
            if (Red(stored.pixelColor(x, y)))
                found |= QRect(x, y, 1, 1);
    view.SetTextBoxes({QRectF(found)});
    QApplication::processEvents();
    const QImage screen = view.grab().toImage();
    QVERIFY2(Red(screen.pixelColor(drawn.topLeft() + block.center())),
             "the block is not where the upright picture has it");
    const QRect box = view.BoxOnScreen(0);
    QVERIFY2((box.topLeft() - (drawn.topLeft() + block.topLeft())).manhattanLength() <= 2 &&
                 qAbs(box.width() - block.width()) <= 2 && qAbs(box.height() - block.height()) <= 2,
             qPrintable(QStringLiteral("box %1,%2 %3x%4").arg(box.x()).arg(box.y())
                            .arg(box.width()).arg(box.height())));
}

QTEST_MAIN(PictureViewTest)
#include "tst_picture_view.moc"
