#pragma once
// TBitmap: the BMP picture kind. Holds a shared, immutable section; copies share it.

#include <memory>

#include "pictures/dib_section.h"
#include "pictures/graphic.h"

namespace pictures {

class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    // A 24-bit (or, with alpha, 32-bit) bitmap holding the image's pixels: what a paste
    // from the clipboard makes.
    static std::unique_ptr<TBitmap> FromImage(const QImage& image);
    // Takes a prepared section (the JPEG kind's decoded picture).
    explicit TBitmap(std::shared_ptr<const DibSection> section);

    std::unique_ptr<TGraphic> Create() const override { return std::make_unique<TBitmap>(); }
    void Assign(const TGraphic& source) override;
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) const override;
    qint64 SavedSize() const override;
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    // The section is read-only once made; size changes are not offered.
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    // Stretches the section into the target without smoothing.
    void Draw(QPainter& painter, const QRect& target) override;
    QImage ToImage() override;

    const DibSection* Section() const { return section_.get(); }

private:
    std::shared_ptr<const DibSection> section_;
};

}  // namespace pictures
