#include "pictures/ole_graphic.h"

#include "pictures/errors.h"
#include "pictures/image_decode.h"
#include "pictures/stream_io.h"

namespace pictures {

void TOleGraphic::Assign(const TGraphic& source) {
    const auto& other = dynamic_cast<const TOleGraphic&>(source);
    bytes_ = other.bytes_;
    image_ = other.image_;
    Changed();
}

void TOleGraphic::LoadFromStream(QIODevice& stream) {
    QByteArray bytes = ReadRest(stream);
    QImage image = DecodeByContent(bytes);
    if (image.isNull()) throw EInvalidGraphic(QString::fromLatin1(kBitmapInvalid));
    bytes_ = std::move(bytes);
    image_ = std::move(image);
    Changed();
}

void TOleGraphic::SaveToStream(QIODevice& stream) const { WriteAll(stream, bytes_); }

void TOleGraphic::Draw(QPainter& painter, const QRect& target) {
    if (!Empty() && target.width() > 0 && target.height() > 0) painter.drawImage(target, image_);
}

}  // namespace pictures
