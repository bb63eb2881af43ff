#include "pictures/bitmap.h"

#include "pictures/bmp_format.h"

namespace pictures {

TBitmap::TBitmap(std::shared_ptr<const DibSection> section) : section_(std::move(section)) {}

std::unique_ptr<TBitmap> TBitmap::FromImage(const QImage& image) {
    return std::make_unique<TBitmap>(SectionFromImage(image));
}

void TBitmap::Assign(const TGraphic& source) {
    section_ = dynamic_cast<const TBitmap&>(source).section_;
    Changed();
}

void TBitmap::LoadFromStream(QIODevice& stream) {
    section_ = ReadBmp(stream);
    Changed();
}

void TBitmap::SaveToStream(QIODevice& stream) const {
    if (section_) WriteBmp(*section_, stream);
}

qint64 TBitmap::SavedSize() const { return section_ ? BmpSize(*section_) : 0; }

bool TBitmap::Empty() const { return !section_ || section_->width <= 0 || section_->height == 0; }
int TBitmap::Width() const { return section_ ? section_->width : 0; }
int TBitmap::Height() const { return section_ ? section_->AbsHeight() : 0; }

void TBitmap::Draw(QPainter& painter, const QRect& target) {
    if (Empty()) return;
    const QRect visible = VisiblePart(painter, target);
    if (visible.isEmpty()) return;
    const QImage part = section_->Render(target.size(), visible.translated(-target.topLeft()));
    if (!part.isNull()) painter.drawImage(visible.topLeft(), part);
}

QImage TBitmap::ToImage() { return Empty() ? QImage() : section_->ToImage(); }

}  // namespace pictures
