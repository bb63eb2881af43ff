#pragma once
// Decoding pictures by their content with QtGui's readers, limited to the formats the
// picture kinds accept.

#include <QByteArray>
#include <QImage>

namespace pictures {

// Decodes PNG, JPEG, GIF, BMP, ICO (and TIFF or WebP when QtGui has them) by content.
// Returns a null image when the data is none of these or fails to decode.
QImage DecodeByContent(const QByteArray& bytes);

// Decodes the first image of an ICO file; null on failure.
QImage DecodeIcon(const QByteArray& bytes);

}  // namespace pictures
