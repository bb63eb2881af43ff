#include "pictures/icon.h"

#include "pictures/errors.h"
#include "pictures/image_decode.h"
#include "pictures/stream_io.h"

namespace pictures {
namespace {

constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;

int EntryByte(const QByteArray& bytes, int offset) {
    if (bytes.size() < kDirectorySize + kEntrySize) return 0;
    if (Le16(reinterpret_cast<const std::uint8_t*>(bytes.constData()) + 4) == 0) return 0;
    const int value = std::uint8_t(bytes[kDirectorySize + offset]);
    return value == 0 ? 256 : value;
}

}  // namespace

void TIcon::Assign(const TGraphic& source) {
    const auto& other = dynamic_cast<const TIcon&>(source);
    bytes_ = other.bytes_;
    image_ = other.image_;
    Changed();
}

void TIcon::LoadFromStream(QIODevice& stream) {
    QByteArray bytes = ReadRest(stream);
    if (!bytes.isEmpty()) {
        if (bytes.size() < kDirectorySize) throw EReadError();
        const std::uint16_t type = Le16(reinterpret_cast<const std::uint8_t*>(bytes.constData()) + 2);
        if (type != 0 && type != 1) throw EInvalidGraphic(QString::fromLatin1(kIconInvalid));
    }
    bytes_ = std::move(bytes);
    image_ = QImage();
    Changed();
}

void TIcon::SaveToStream(QIODevice& stream) const { WriteAll(stream, bytes_); }

int TIcon::Width() const { return EntryByte(bytes_, 0); }
int TIcon::Height() const { return EntryByte(bytes_, 1); }

const QImage& TIcon::Decoded() {
    if (image_.isNull() && !bytes_.isEmpty()) {
        image_ = DecodeIcon(bytes_);
        if (image_.isNull()) throw EInvalidGraphic(QString::fromLatin1(kIconInvalid));
    }
    return image_;
}

void TIcon::Draw(QPainter& painter, const QRect& target) {
    if (Empty() || target.width() < 1 || target.height() < 1) return;
    painter.drawImage(target, Decoded());
}

QImage TIcon::ToImage() { return Empty() ? QImage() : Decoded(); }

}  // namespace pictures
