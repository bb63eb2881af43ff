#pragma once
// TOleGraphic: the kind registered for names without an extension. Loading such a file
// does nothing, so the picture stays empty; from a stream it decodes any picture QtGui
// reads by content and keeps the bytes, which save writes back.

#include "pictures/graphic.h"

namespace pictures {

class TOleGraphic : public TGraphic {
public:
    TOleGraphic() = default;

    std::unique_ptr<TGraphic> Create() const override { return std::make_unique<TOleGraphic>(); }
    void Assign(const TGraphic& source) override;
    void LoadFromFile(const QString&) override {}
    // Data QtGui cannot decode raises EInvalidGraphic "Bitmap image is not valid".
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) const override;
    bool Empty() const override { return image_.isNull(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void Draw(QPainter& painter, const QRect& target) override;
    QImage ToImage() override { return image_; }

private:
    QByteArray bytes_;
    QImage image_;
};

}  // namespace pictures
