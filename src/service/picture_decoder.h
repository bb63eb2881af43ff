#pragma once
// Decodes picture bytes with Leptonica, and the BMP forms it lacks with OpenCV,
// refusing oversized pictures before any pixel is decoded.

#include <cstdint>
#include <memory>
#include <span>

struct Pix;

namespace ocrgated {

inline constexpr std::uint64_t kMaxPicturePixels = 50'000'000;

struct PixFree {
    void operator()(Pix* pix) const;
};
using PixPtr = std::unique_ptr<Pix, PixFree>;

// JPEG, PNG, BMP, GIF, TIFF or WebP. Returns an 8- or 32-bit picture without
// colour map or alpha (transparent parts on white, or on black behind light ink). Throws BadPicture or
// PictureTooLarge.
PixPtr DecodePicture(std::span<const std::uint8_t> bytes);

}  // namespace ocrgated
