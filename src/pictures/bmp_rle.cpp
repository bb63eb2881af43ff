#include "pictures/bmp_format.h"
#include "pictures/errors.h"

namespace pictures {

// Run-length decoding for display. Rows are bottom-up; anything that points outside the
// picture is dropped, and the input bounds every loop.
void DecodeRle(const std::uint8_t* data, std::size_t size, bool rle4, DibSection& s) {
    s.pixelBits = 8;
    const std::size_t stride = s.Stride();
    const int width = s.width, height = s.AbsHeight();
    s.pixels = PixelMemory(stride * std::size_t(height));
    std::uint8_t* pixels = s.pixels.data();
    auto put = [&](int x, int y, std::uint8_t v) {
        if (x >= 0 && x < width && y >= 0 && y < height) pixels[std::size_t(y) * stride + x] = v;
    };
    int x = 0, y = 0;
    std::size_t i = 0;
    while (i + 1 < size && y < height) {
        const std::uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < width; ++k, ++x) {
                put(x, y, rle4 ? std::uint8_t((k & 1) ? (value & 0xF) : (value >> 4)) : value);
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= size) break;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = rle4 ? (std::size_t(value) + 1) / 2 : value;
            for (int k = 0; k < value; ++k) {
                const std::size_t at = i + (rle4 ? std::size_t(k) / 2 : std::size_t(k));
                if (at >= size) break;
                const std::uint8_t b = data[at];
                put(x + k, y, rle4 ? std::uint8_t((k & 1) ? (b & 0xF) : (b >> 4)) : b);
            }
            x += value;
            i += bytes + (bytes & 1);
        }
    }
}

}  // namespace pictures
