#pragma once
// TPicture: the picture holder behind the picture view.
//
// It owns at most one picture kind object. LoadFromFile picks the kind by the file's
// extension through FileFormats(); a failed load leaves the held object in place and
// passes the error on. Every successful load or replacement fires the change notification.

#include <QImage>
#include <functional>
#include <memory>

#include "pictures/graphic.h"

namespace pictures {

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Raises EInvalidGraphic "Unknown picture file extension (.%s)" for an unregistered
    // extension, or the kind's own load error; the held picture is then unchanged.
    void LoadFromFile(const QString& path);

    // The held object, or null.
    TGraphic* Graphic() const { return graphic_.get(); }
    // Holds a copy of `graphic` (a new object of its kind, assigned from it), or nothing
    // when null.
    void SetGraphic(const TGraphic* graphic);
    // Holds `graphic` itself.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    void Clear() { SetGraphic(std::unique_ptr<TGraphic>()); }

    // The held picture's size; 0 when none.
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    // True when nothing is held or the held picture is empty.
    bool Empty() const { return !graphic_ || graphic_->Empty(); }

    // The held picture in its kind's file format (the bytes sent for recognition); empty
    // when nothing is held. Raises the kind's save error.
    QByteArray SaveToBytes() const;
    // Draws the held picture into `target`; nothing when none.
    void Draw(QPainter& painter, const QRect& target) const;

    // What a copy to the clipboard places there: the picture as a plain bitmap for the
    // JPEG, BMP and PNG kinds (a PNG drawn on white), a null image otherwise.
    QImage ClipboardImage() const;
    // Replaces the picture by a TBitmap holding the image's pixels (paste).
    void PasteImage(const QImage& image);

    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    void Changed() const;

    std::unique_ptr<TGraphic> graphic_;
    std::function<void()> onChange_;
};

}  // namespace pictures
