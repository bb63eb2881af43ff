#include "service/pictures/png_reader.h"

#include <allheaders.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "service/common/recognition_context.h"
#include "service/common/picture_errors.h"

namespace ocrgated {
namespace {

// What libpng's callbacks share with the reader: the bytes and the first error.
struct Source {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    char error[200] = "";
};

void ReadData(png_structp png, png_bytep out, png_size_t size) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (size > source->bytes.size() - source->at)
        png_error(png, "the data ends before the picture does");
    std::memcpy(out, source->bytes.data() + source->at, size);
    source->at += size;
}

void Fail(png_structp png, png_const_charp message) {
    auto* source = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(source->error, sizeof source->error, "%s", message);
    png_longjmp(png, 1);
}

void Warn(png_structp, png_const_charp message) {
    LogDecoderMessage("libpng", message);
}

struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngRead() { png_destroy_read_struct(&png, &info, nullptr); }
};

bool GreyPalette(png_structp png, png_infop info) {
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) == 0)
        return false;
    for (int i = 0; i < count; ++i)
        if (palette[i].red != palette[i].green || palette[i].green != palette[i].blue)
            return false;
    return true;
}

// Sums of `factor` rows of samples, averaged into one reduced row. With alpha, colours
// are weighted by it, so that transparent pixels do not tint their opaque neighbours.
class Reducer {
  public:
    Reducer(l_int32 width, int channels, int factor)
        : width_(width),
          channels_(channels),
          factor_(factor),
          sums_(std::size_t((width + factor - 1) / factor) * std::size_t(channels)) {}

    void Add(const png_byte* row) {
        for (l_int32 x = 0; x < width_; ++x, row += channels_) {
            std::uint64_t* sum = &sums_[std::size_t(x / factor_) * std::size_t(channels_)];
            const std::uint64_t weight = channels_ == 4 ? row[3] : 1;
            for (int c = 0; c < channels_; ++c)
                sum[c] += c == 3 ? row[3] : row[c] * weight;
        }
        ++rows_;
    }

    void Write(Pix* pix, l_int32 y) {
        l_uint32* line = pixGetData(pix) + std::ptrdiff_t(y) * pixGetWpl(pix);
        const l_int32 out_width = pixGetWidth(pix);
        for (l_int32 x = 0; x < out_width; ++x) {
            const std::uint64_t* sum = &sums_[std::size_t(x) * std::size_t(channels_)];
            const std::uint64_t count =
                std::uint64_t(rows_) * std::uint64_t(std::min(factor_, width_ - x * factor_));
            const std::uint64_t weight = channels_ == 4 ? sum[3] : count;
            const auto mean = [&](int c) {
                return weight == 0 ? 0 : l_int32((sum[c] + weight / 2) / weight);
            };
            if (channels_ == 1)
                SET_DATA_BYTE(line, x, mean(0));
            else
                composeRGBAPixel(mean(0), mean(1), mean(2),
                                 channels_ == 4 ? l_int32((sum[3] + count / 2) / count) : 255,
                                 line + x);
        }
        std::fill(sums_.begin(), sums_.end(), 0);
        rows_ = 0;
    }

  private:
    l_int32 width_;
    int channels_, factor_, rows_ = 0;
    std::vector<std::uint64_t> sums_;
};

// At full size a row is copied as it is, without the reducer's sums and divisions;
// a transparent pixel has no colour, as when reduced.
void CopyRow(const png_byte* row, int channels, Pix* pix, l_int32 y) {
    l_uint32* line = pixGetData(pix) + std::ptrdiff_t(y) * pixGetWpl(pix);
    const l_int32 width = pixGetWidth(pix);
    if (channels == 1) {
        for (l_int32 x = 0; x < width; ++x)
            SET_DATA_BYTE(line, x, row[x]);
        return;
    }
    for (l_int32 x = 0; x < width; ++x, row += channels) {
        const l_int32 alpha = channels == 4 ? row[3] : 255;
        const l_int32 keep = alpha == 0 ? 0 : 1;
        composeRGBAPixel(row[0] * keep, row[1] * keep, row[2] * keep, alpha, line + x);
    }
}

}  // namespace

bool PngReadsByRow(std::span<const std::uint8_t> bytes) {
    // The interlace method is the last byte of the header chunk, which comes first.
    return bytes.size() > 28 && bytes[28] == 0;
}

PixPtr ReadPngReduced(std::span<const std::uint8_t> bytes, int factor) {
    Source source{bytes};
    PngRead read;
    PixPtr pix;
    std::vector<png_byte> row, whole;
    std::unique_ptr<Reducer> reducer;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, Fail, Warn);
    if (read.png)
        read.info = png_create_info_struct(read.png);
    if (!read.info)
        throw std::bad_alloc();
    // Everything with a destructor lives above this line: libpng's errors jump back here.
    if (setjmp(png_jmpbuf(read.png)))
        throw BadPicture(std::string("The PNG picture cannot be decoded: ") + source.error);
    png_set_read_fn(read.png, &source, ReadData);
    png_read_info(read.png, read.info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0;
    png_get_IHDR(read.png, read.info, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
    const bool transparent = png_get_valid(read.png, read.info, PNG_INFO_tRNS) != 0 ||
                             (colour & PNG_COLOR_MASK_ALPHA) != 0;
    png_set_strip_16(read.png);
    png_set_expand(read.png);  // palettes to colour, small greys to 8 bits, tRNS to alpha
    if (colour == PNG_COLOR_TYPE_PALETTE && !transparent && GreyPalette(read.png, read.info))
        png_set_rgb_to_gray_fixed(read.png, 1, -1, -1);
    else if ((colour & PNG_COLOR_MASK_COLOR) == 0 && transparent)
        png_set_gray_to_rgb(read.png);
    const int passes = png_set_interlace_handling(read.png);
    png_read_update_info(read.png, read.info);
    const int channels = png_get_channels(read.png, read.info);
    if (channels != 1 && channels != 3 && channels != 4)
        png_error(read.png, "unexpected sample layout");

    const auto out_width = l_int32((width + png_uint_32(factor) - 1) / png_uint_32(factor));
    const auto out_height = l_int32((height + png_uint_32(factor) - 1) / png_uint_32(factor));
    pix.reset(pixCreate(out_width, out_height, channels == 1 ? 8 : 32));
    if (!pix)
        png_error(read.png, "no memory for the picture");
    if (channels == 4)
        pixSetSpp(pix.get(), 4);
    const std::size_t row_bytes = png_get_rowbytes(read.png, read.info);
    row.resize(row_bytes);
    if (passes > 1) {
        // Each pass adds pixels to every row: the rows are gathered whole first.
        whole.resize(row_bytes * height);
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < height; ++y)
                png_read_row(read.png, whole.data() + row_bytes * y, nullptr);
    }
    if (factor > 1)
        reducer = std::make_unique<Reducer>(l_int32(width), channels, factor);
    for (png_uint_32 y = 0; y < height; ++y) {
        if (y % 1024 == 0)
            CheckDeadline();
        png_bytep line = whole.empty() ? row.data() : whole.data() + row_bytes * y;
        if (whole.empty())
            png_read_row(read.png, line, nullptr);
        if (factor == 1) {
            CopyRow(line, channels, pix.get(), l_int32(y));
            continue;
        }
        reducer->Add(line);
        if ((y + 1) % png_uint_32(factor) == 0 || y + 1 == height)
            reducer->Write(pix.get(), l_int32(y / png_uint_32(factor)));
    }
    return pix;
}

}  // namespace ocrgated
