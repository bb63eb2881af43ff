#pragma once
// Walks a GIF's blocks without decoding any pixels, so that the pixel count a
// decoder would allocate is known before it runs.

#include <cstdint>
#include <optional>
#include <span>

namespace ocrgated {

struct GifExtent {
    std::uint64_t screen_pixels = 0;  // logical screen
    std::uint64_t frame_pixels = 0;   // sum over every image descriptor
};

// Nothing when the block structure is broken before the first frame.
std::optional<GifExtent> MeasureGif(std::span<const std::uint8_t> data);

}  // namespace ocrgated
