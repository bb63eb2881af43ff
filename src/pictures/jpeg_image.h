#pragma once
// TJPEGImage: the JPEG picture kind. Load keeps the file's bytes and reads only the header;
// save writes those bytes unchanged; the first draw decodes them and keeps the bitmap.

#include <memory>

#include "pictures/bitmap.h"
#include "pictures/graphic.h"

namespace pictures {

// The compressed bytes and header values, shared between copies.
struct TJPEGData {
    QByteArray bytes;
    int width = 0;
    int height = 0;
    bool greyscale = false;
};

class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;

    std::unique_ptr<TGraphic> Create() const override { return std::make_unique<TJPEGImage>(); }
    void Assign(const TGraphic& source) override;
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) const override;
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    // Raise EInvalidGraphicOperation "Cannot change the size of a JPEG image".
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    // Decodes on first need (EJPEG on a decoder error) and stretches without smoothing.
    void Draw(QPainter& painter, const QRect& target) override;
    QImage ToImage() override;

    bool Grayscale() const { return data_ && data_->greyscale; }
    bool ProgressiveEncoding() const { return progressive_; }
    // The decoded picture, made on first need and kept. Raises EJPEG.
    TBitmap& Bitmap();

private:
    std::shared_ptr<const TJPEGData> data_;
    std::unique_ptr<TBitmap> bitmap_;
    bool progressive_ = false;
};

}  // namespace pictures
