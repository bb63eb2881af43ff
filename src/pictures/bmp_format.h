#pragma once
// The BMP file reader and writer behind TBitmap.

#include <QIODevice>
#include <cstdint>
#include <memory>

#include "pictures/dib_section.h"

namespace pictures {

// Reads a BMP file from the stream's position. Returns null for an empty stream.
// Raises EInvalidGraphic "Bitmap image is not valid" or EReadError "Stream read error".
std::shared_ptr<DibSection> ReadBmp(QIODevice& stream);

// Writes the section as a BMP file: the saved copy of a compressed file unchanged,
// otherwise a rebuilt file. An empty section writes nothing.
void WriteBmp(const DibSection& section, QIODevice& stream);
// The number of bytes WriteBmp writes.
qint64 BmpSize(const DibSection& section);

// Decodes RLE8 or RLE4 data into 8-bit indices of a bottom-up section of the given size.
void DecodeRle(const std::uint8_t* data, std::size_t size, bool rle4, DibSection& section);

}  // namespace pictures
