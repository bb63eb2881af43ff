#pragma once
// What a picture's header says, and how it will be decoded, before any pixel is: the
// pixel cap and the memory estimate are checked here.

#include <cstdint>
#include <span>

#include "service/pictures/picture_decoder.h"

namespace ocrgated {

// JPEG, PNG, BMP, GIF, TIFF or WebP; `format` as Leptonica numbers them.
bool Accepted(int format);

// Throws PictureTooLarge when `pixels` passes the cap; `what` follows the count in its
// message (" over its frames").
void CheckPixels(std::uint64_t pixels, const char* what);

// What the header tells; GIF and BMP are measured by pixels alone.
struct Header {
    std::uint64_t pixels = 0;
    int width = 0, height = 0;
    bool grey = false;  // one sample, no colour map: decodes to 8 bits a pixel
    // The picture's own size where width and height are left 0 (BMP); 0 when unknown (GIF).
    int own_width = 0, own_height = 0;
};

// Measures the picture from its header alone; throws BadPicture or PictureTooLarge.
Header CheckHeader(std::span<const std::uint8_t> bytes, int format);

// How the picture will be decoded, and what that costs, from its header.
struct Plan {
    enum class Reader { Leptonica, Png, Jpeg } reader = Reader::Leptonica;
    int numerator = 1, denominator = 1;  // the decoded size over the picture's own
    std::uint64_t memory = 0;            // the working memory estimated
};

// Throws PictureTooLarge when the estimate passes the reading's limit.
Plan PlanDecoding(std::span<const std::uint8_t> bytes, int format, const Header& header,
                  const PictureReading& reading);

}  // namespace ocrgated
