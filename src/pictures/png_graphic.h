#pragma once
// TPngGraphic: the PNG picture kind. Decodes by content (so any picture QtGui reads loads
// under a png name; BMP data goes through the BMP reader), saves as a fresh PNG encoding
// of the same pixels, draws scaled smoothly and is always transparent.

#include "pictures/graphic.h"

namespace pictures {

class TPngGraphic : public TGraphic {
public:
    TPngGraphic() = default;

    std::unique_ptr<TGraphic> Create() const override { return std::make_unique<TPngGraphic>(); }
    void Assign(const TGraphic& source) override;
    // Zero bytes: an empty picture. Data that cannot be decoded, including 1 to 13 bytes,
    // raises EGdipError "Invalid operation in GDI+ (Code: 2)".
    void LoadFromStream(QIODevice& stream) override;
    // Empty: writes nothing. A failed encoding raises EGdipError with code 7.
    void SaveToStream(QIODevice& stream) const override;
    bool Empty() const override { return image_.width() < 1 || image_.height() < 1; }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    bool Transparent() const override { return true; }
    void Draw(QPainter& painter, const QRect& target) override;
    // The picture drawn on a white bitmap of its size.
    QImage ToImage() override;

    const QImage& Image() const { return image_; }

private:
    QImage image_;
};

}  // namespace pictures
