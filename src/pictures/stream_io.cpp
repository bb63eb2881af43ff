#include "pictures/stream_io.h"

#include "pictures/errors.h"

namespace pictures {

qint64 Remaining(const QIODevice& device) {
    const qint64 left = device.size() - device.pos();
    return left > 0 ? left : 0;
}

void ReadExact(QIODevice& device, void* buffer, qint64 size) {
    if (size <= 0) return;
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
        const qint64 got = device.read(out, size);
        if (got <= 0) throw EReadError();
        out += got;
        size -= got;
    }
}

QByteArray ReadRest(QIODevice& device) {
    const qint64 n = Remaining(device);
    QByteArray bytes(n, Qt::Uninitialized);
    ReadExact(device, bytes.data(), n);
    return bytes;
}

void WriteAll(QIODevice& device, const char* data, qint64 size) {
    while (size > 0) {
        const qint64 put = device.write(data, size);
        if (put <= 0) throw EPictureError(QStringLiteral("Stream write error"));
        data += put;
        size -= put;
    }
}

}  // namespace pictures
