#include "test_support.h"

#include <QApplication>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>

#include <iconv.h>

namespace testing_support {

MessageBoxSeen WatchMessageBox(const std::function<void()>& action) {
    MessageBoxSeen seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = {true, box->windowTitle(), box->text(), seen.count + 1};
        box->done(QMessageBox::Ok);
    });
    poll.start();
    action();
    poll.stop();
    return seen;
}

void ChooseInDialog(QFileDialog* dialog, const QString& path) {
    QTimer::singleShot(50, dialog, [dialog, path] {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

TForm1::Settings OfflineSettings(const QString& helpDirectory) {
    return {QStringLiteral("http://127.0.0.1:9/ocrgate/ocrgate.asmx?WSDL"),
            QStringLiteral("about:blank"), helpDirectory, TForm1::Settings::Capture::ByPlatform,
            helpDirectory + QStringLiteral("/quillory.ini")};
}

QByteArray Encode(const QString& text, const char* codePage) {
    iconv_t converter = iconv_open(codePage, "UTF-8");
    if (converter == iconv_t(-1))
        return {};
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = size_t(in.size()), outLeft = size_t(out.size());
    const size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (done == size_t(-1))
        return {};
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

QImage RenderText(const QStringList& lines, int pixelSize) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int lineHeight = metrics.height() * 2;
    QImage image(width + 2 * pixelSize, lineHeight * int(lines.size()) + pixelSize,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i) {
        painter.drawText(pixelSize, pixelSize / 2 + lineHeight * i + metrics.ascent(), lines[i]);
    }
    return image;
}

}  // namespace testing_support
