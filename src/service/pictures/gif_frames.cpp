#include "service/pictures/gif_frames.h"

namespace ocrgated {
namespace {

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
    bool Has(std::size_t n) const { return pos_ + n <= data_.size(); }
    std::uint8_t Byte() { return data_[pos_++]; }
    std::uint16_t Word() {
        const std::uint16_t low = data_[pos_], high = data_[pos_ + 1];
        pos_ += 2;
        return static_cast<std::uint16_t>(low | (high << 8));
    }
    void Skip(std::size_t n) { pos_ += n; }
    // Skips data sub-blocks up to and including the terminator.
    bool SkipSubBlocks() {
        while (Has(1)) {
            const std::uint8_t size = Byte();
            if (size == 0)
                return true;
            if (!Has(size))
                return false;
            Skip(size);
        }
        return false;
    }

  private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

std::size_t ColorTableSize(std::uint8_t flags) {
    return (flags & 0x80) ? 3u << ((flags & 0x07) + 1) : 0;
}

}  // namespace

std::optional<GifExtent> MeasureGif(std::span<const std::uint8_t> data) {
    Reader in(data);
    if (!in.Has(13))
        return std::nullopt;
    in.Skip(6);  // signature and version
    GifExtent extent;
    const std::uint16_t width = in.Word(), height = in.Word();
    extent.screen_pixels = std::uint64_t{width} * height;
    const std::uint8_t flags = in.Byte();
    in.Skip(2);
    if (!in.Has(ColorTableSize(flags)))
        return std::nullopt;
    in.Skip(ColorTableSize(flags));

    bool any_frame = false;
    while (in.Has(1)) {
        const std::uint8_t block = in.Byte();
        if (block == 0x3B)
            break;            // trailer
        if (block == 0x21) {  // extension: label, then sub-blocks
            if (!in.Has(1))
                break;
            in.Skip(1);
            if (!in.SkipSubBlocks())
                break;
        } else if (block == 0x2C) {  // image descriptor
            if (!in.Has(9))
                break;
            in.Skip(4);
            const std::uint16_t w = in.Word(), h = in.Word();
            extent.frame_pixels += std::uint64_t{w} * h;
            any_frame = true;
            const std::uint8_t frame_flags = in.Byte();
            if (!in.Has(ColorTableSize(frame_flags) + 1))
                break;
            in.Skip(ColorTableSize(frame_flags) + 1);  // local colour table, LZW code size
            if (!in.SkipSubBlocks())
                break;
        } else {
            break;
        }
    }
    if (!any_frame)
        return std::nullopt;
    return extent;
}

}  // namespace ocrgated
