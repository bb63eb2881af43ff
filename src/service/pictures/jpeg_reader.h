#pragma once
// JPEG decoding on libjpeg, scaled in its DCT: a picture larger than the engine reads
// is never held at full size.

#include <cstdint>
#include <span>

#include "service/pictures/picture_decoder.h"

namespace ocrgated {

// True when the JPEG is progressive: libjpeg then holds every DCT coefficient of the
// picture, 2 bytes a sample, whatever the scale it decodes at.
bool JpegIsProgressive(std::span<const std::uint8_t> bytes);

// Decodes at `eighths`/8 of the picture's size (1 to 8). Gives 8-bit grey or 32-bit
// RGB. Throws BadPicture.
PixPtr ReadJpegScaled(std::span<const std::uint8_t> bytes, int eighths);

}  // namespace ocrgated
