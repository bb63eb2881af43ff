#pragma once
// PNG decoding row by row on libpng: only one row of the full picture is held at a
// time, and a picture larger than the engine reads is reduced as the rows arrive.

#include <cstdint>
#include <span>

#include "service/pictures/picture_decoder.h"

namespace ocrgated {

// True when the PNG can be read row by row: it is not interlaced. An interlaced one is
// read whole before it is reduced.
bool PngReadsByRow(std::span<const std::uint8_t> bytes);

// Each `factor` × `factor` block of the picture becomes one pixel, its mean. Gives
// 8-bit grey when the picture is grey and opaque, else 32 bits with 3 samples, or 4
// with alpha (not yet laid on a backdrop). Throws BadPicture.
PixPtr ReadPngReduced(std::span<const std::uint8_t> bytes, int factor);

}  // namespace ocrgated
