#include "pictures/jpeg_image.h"

#include "pictures/errors.h"
#include "pictures/jpeg_codec.h"
#include "pictures/stream_io.h"

namespace pictures {

void TJPEGImage::Assign(const TGraphic& source) {
    const auto& other = dynamic_cast<const TJPEGImage&>(source);
    data_ = other.data_;
    progressive_ = other.progressive_;
    bitmap_.reset();
    Changed();
}

void TJPEGImage::LoadFromStream(QIODevice& stream) {
    auto data = std::make_shared<TJPEGData>();
    data_.reset();
    bitmap_.reset();
    progressive_ = false;
    data->bytes = ReadRest(stream);
    if (!data->bytes.isEmpty()) {
        const JpegHeader header = ReadJpegHeader(data->bytes);
        data->width = header.width;
        data->height = header.height;
        data->greyscale = header.greyscale;
        progressive_ = header.progressive;
    }
    data_ = std::move(data);
    Changed();
}

void TJPEGImage::SaveToStream(QIODevice& stream) const {
    if (data_) WriteAll(stream, data_->bytes);
}

bool TJPEGImage::Empty() const { return !data_ || data_->width <= 0 || data_->height <= 0; }
int TJPEGImage::Width() const { return data_ ? data_->width : 0; }
int TJPEGImage::Height() const { return data_ ? data_->height : 0; }

void TJPEGImage::SetWidth(int) {
    throw EInvalidGraphicOperation(QString::fromLatin1(kJpegSizeChange));
}
void TJPEGImage::SetHeight(int) {
    throw EInvalidGraphicOperation(QString::fromLatin1(kJpegSizeChange));
}

TBitmap& TJPEGImage::Bitmap() {
    if (!bitmap_) {
        const QByteArray bytes = data_ ? data_->bytes : QByteArray();
        bitmap_ = std::make_unique<TBitmap>(DecodeJpeg(bytes));
    }
    return *bitmap_;
}

void TJPEGImage::Draw(QPainter& painter, const QRect& target) {
    Bitmap().Draw(painter, target);
}

QImage TJPEGImage::ToImage() {
    if (Empty()) return {};
    return Bitmap().ToImage();
}

}  // namespace pictures
