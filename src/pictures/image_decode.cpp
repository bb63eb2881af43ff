#include "pictures/image_decode.h"

#include <QBuffer>
#include <QImageReader>

#include "pictures/errors.h"

namespace pictures {
namespace {

QImage Decode(const QByteArray& bytes, const QByteArray& onlyFormat) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, onlyFormat);
    reader.setDecideFormatFromContent(onlyFormat.isEmpty());
    const QByteArray format = reader.format().toLower();
    static const QList<QByteArray> accepted{"png", "jpeg", "jpg", "gif", "bmp", "ico",
                                            "tif", "tiff", "webp"};
    if (!accepted.contains(format)) return {};
    if (!onlyFormat.isEmpty() && format != onlyFormat) return {};
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > kMaxPixelBytes) return {};
    return reader.read();
}

}  // namespace

QImage DecodeByContent(const QByteArray& bytes) { return Decode(bytes, {}); }

QImage DecodeIcon(const QByteArray& bytes) { return Decode(bytes, "ico"); }

}  // namespace pictures
