#include "pictures/picture.h"

#include "pictures/bitmap.h"
#include "pictures/errors.h"
#include "pictures/file_formats.h"
#include "pictures/jpeg_image.h"
#include "pictures/png_graphic.h"

namespace pictures {

void TPicture::LoadFromFile(const QString& path) {
    const QString extension = PictureExtension(path);
    const TFileFormat* format = FileFormats().Find(extension);
    if (!format) throw EInvalidGraphic(QString::fromLatin1(kUnknownExtension).arg(extension));
    std::unique_ptr<TGraphic> loaded = format->graphicClass();
    loaded->LoadFromFile(path);
    SetGraphic(std::move(loaded));
}

void TPicture::SetGraphic(const TGraphic* graphic) {
    SetGraphic(graphic ? graphic->Clone() : nullptr);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    if (graphic_) graphic_->SetOnChange([this] { Changed(); });
    Changed();
}

QByteArray TPicture::SaveToBytes() const { return graphic_ ? graphic_->SaveToBytes() : QByteArray(); }

void TPicture::Draw(QPainter& painter, const QRect& target) const {
    if (graphic_ && !graphic_->Empty()) graphic_->Draw(painter, target);
}

QImage TPicture::ClipboardImage() const {
    if (Empty()) return {};
    const bool bitmapKind = dynamic_cast<TBitmap*>(graphic_.get()) ||
                            dynamic_cast<TJPEGImage*>(graphic_.get()) ||
                            dynamic_cast<TPngGraphic*>(graphic_.get());
    return bitmapKind ? graphic_->ToImage() : QImage();
}

void TPicture::PasteImage(const QImage& image) { SetGraphic(TBitmap::FromImage(image)); }

void TPicture::Changed() const {
    if (onChange_) onChange_();
}

}  // namespace pictures
