#pragma once
// JPEG decoding on libjpeg, scaled in its DCT: a picture larger than the engine reads
// is never held at full size.

#include <cstdint>
#include <span>

#include "service/pictures/picture_decoder.h"

namespace ocrgated {

// Decodes at `eighths`/8 of the picture's size (1 to 8). Gives 8-bit grey or 32-bit
// RGB. Throws BadPicture.
PixPtr ReadJpegScaled(std::span<const std::uint8_t> bytes, int eighths);

}  // namespace ocrgated
