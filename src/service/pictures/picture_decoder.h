#pragma once
// Decodes picture bytes with Leptonica, and the BMP forms it lacks with OpenCV,
// refusing oversized pictures before any pixel is decoded.

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <span>
#include <vector>

struct Pix;

namespace ocrgated {

inline constexpr std::uint64_t kMaxPicturePixels = 50'000'000;

struct PixFree {
    void operator()(Pix* pix) const;
};
using PixPtr = std::unique_ptr<Pix, PixFree>;

struct RecognizedLine;
struct PageReading;

// What an engine needs of a picture, and what it costs the engine.
struct PictureReading {
    // Bytes the engine takes per decoded pixel, beside the decoded picture's own (one
    // for grey, four for colour).
    double engine_bytes_per_pixel = 0;
    // A picture whose long side is over this is decoded reduced, where its format
    // allows, to a long side no shorter than this; 0 decodes every picture whole.
    int reading_side = 0;
    // The estimated working memory a picture may take; 0 is no limit.
    std::uint64_t max_memory = 0;
};

struct DecodedPicture {
    PixPtr pix;
    double scale = 1;  // the decoded width over the picture's own
};

// JPEG, PNG, BMP, GIF, TIFF or WebP. Gives an 8- or 32-bit picture without colour map
// or alpha (transparent parts on white, or on black behind light ink). The working
// memory is estimated from the header and checked before any pixel is decoded. Throws
// BadPicture or PictureTooLarge.
DecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, const PictureReading& reading);

// The picture whole, with no memory limit beyond the pixel cap.
PixPtr DecodePicture(std::span<const std::uint8_t> bytes);

// The picture's width and height from its header; none when the header does not tell.
std::optional<std::pair<int, int>> PictureSize(std::span<const std::uint8_t> bytes);

// Sends Leptonica's warnings and errors, and what OpenCV writes to std::cerr, to the
// log under the request being served. Process-wide: a program calls it once at start.
void RouteDecoderMessagesToLog();

// Brings the boxes of lines read in a picture decoded at `scale` back to the picture's own.
void ToPictureScale(std::vector<RecognizedLine>& lines, double scale);
void ToPictureScale(PageReading& page, double scale);

}  // namespace ocrgated
