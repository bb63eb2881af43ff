#pragma once
// The device-independent section behind a BMP picture: the header fields kept from the
// file, the colour table and the pixel rows in memory, exactly as the file laid them out.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace pictures {

// Zero-filled pixel memory; large blocks stay untouched until written.
class PixelMemory {
public:
    PixelMemory() = default;
    explicit PixelMemory(std::size_t size);
    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> data_;
    std::size_t size_ = 0;
};

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiRle8 = 1;
inline constexpr std::uint32_t kBiRle4 = 2;
inline constexpr std::uint32_t kBiBitfields = 3;

struct DibSection {
    // Header fields as a 40-byte info header holds them.
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: rows stored top-down
    std::uint16_t bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    std::array<std::uint32_t, 3> masks{};
    bool os2 = false;  // the file used the 12-byte core header

    std::vector<std::uint32_t> colours;  // section colour table, 0x00RRGGBB
    std::vector<std::uint32_t> palette;  // made from a deep bitmap's colour table

    // Pixel rows, `pixelBits` per pixel, rows padded to 4 bytes. Equal to bitCount for
    // uncompressed sections; RLE files are decoded to 8-bit indices for display.
    int pixelBits = 0;
    PixelMemory pixels;

    // The whole file of a compressed bitmap, written back unchanged.
    QByteArray savedCopy;

    bool HasPixels() const { return pixels.data() != nullptr; }
    int AbsHeight() const { return height < 0 ? -height : height; }
    std::size_t Stride() const { return StrideFor(width, pixelBits); }
    static std::size_t StrideFor(std::int64_t width, int bits) {
        return std::size_t(((width * bits + 31) / 32) * 4);
    }
    // Pointer to the row shown `y` rows from the top.
    const std::uint8_t* Row(int y) const {
        const int memoryRow = height < 0 ? y : AbsHeight() - 1 - y;
        return pixels.data() + std::size_t(memoryRow) * Stride();
    }

    // Samples the section into `visible` (in target coordinates) of a picture stretched to
    // `target` size, nearest pixel without smoothing. Only the visible pixels are made.
    QImage Render(QSize target, QRect visible) const;
    QImage ToImage() const { return Render({width, AbsHeight()}, {0, 0, width, AbsHeight()}); }
};

// Builds a 24- or 32-bit section from an image (32 bits when it has an alpha channel).
std::shared_ptr<DibSection> SectionFromImage(const QImage& image);

// Part of `target` that the painter can actually show (clip and device bounds).
QRect VisiblePart(const class QPainter& painter, const QRect& target);

}  // namespace pictures
