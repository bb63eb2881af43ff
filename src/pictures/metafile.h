#pragma once
// TMetafile: the WMF and EMF picture kind. Enhanced metafiles are kept as their records;
// placeable Windows metafiles as their header's size and the records behind it. Metafiles
// are not previewed: drawing paints nothing.

#include "pictures/graphic.h"

namespace pictures {

class TMetafile : public TGraphic {
public:
    TMetafile() = default;

    std::unique_ptr<TGraphic> Create() const override { return std::make_unique<TMetafile>(); }
    void Assign(const TGraphic& source) override;
    // Anything neither enhanced nor placeable raises EInvalidGraphic "Metafile is not valid".
    void LoadFromStream(QIODevice& stream) override;
    // Enhanced: the records. Otherwise a fresh placeable header and the records.
    void SaveToStream(QIODevice& stream) const override;
    bool Empty() const override { return records_.isEmpty(); }
    int Width() const override;
    int Height() const override;
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void Draw(QPainter&, const QRect&) override {}

    bool Enhanced() const { return enhanced_; }
    // Size in hundredths of a millimetre.
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }

private:
    QByteArray records_;
    bool enhanced_ = false;
    int mmWidth_ = 0;
    int mmHeight_ = 0;
    int inch_ = 0;
};

}  // namespace pictures
