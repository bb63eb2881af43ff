#pragma once
// TIcon: the ICO picture kind. Keeps the file's bytes; drawn through QtGui's ICO reader.

#include "pictures/graphic.h"

namespace pictures {

class TIcon : public TGraphic {
public:
    TIcon() = default;

    std::unique_ptr<TGraphic> Create() const override { return std::make_unique<TIcon>(); }
    void Assign(const TGraphic& source) override;
    // Keeps every byte; the directory's type field must be 0 or 1, else EInvalidGraphic
    // "Icon image is not valid". Data shorter than the directory raises EReadError.
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) const override;
    bool Empty() const override { return bytes_.isEmpty(); }
    // The size of the directory's first entry.
    int Width() const override;
    int Height() const override;
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    // Decodes on first need; undecodable data raises "Icon image is not valid".
    void Draw(QPainter& painter, const QRect& target) override;
    QImage ToImage() override;

private:
    const QImage& Decoded();

    QByteArray bytes_;
    QImage image_;
};

}  // namespace pictures
