#include "service/pictures/decoding_plan.h"

#include <allheaders.h>

#include <algorithm>
#include <string>

#include "service/common/picture_errors.h"
#include "service/pictures/gif_frames.h"
#include "service/pictures/jpeg_reader.h"
#include "service/pictures/png_reader.h"

namespace ocrgated {

bool Accepted(l_int32 format) {
    return format == IFF_JFIF_JPEG || format == IFF_PNG || format == IFF_BMP || format == IFF_GIF ||
           format == IFF_WEBP || L_FORMAT_IS_TIFF(format);
}

void CheckPixels(std::uint64_t pixels, const char* what) {
    if (pixels > kMaxPicturePixels) {
        throw PictureTooLarge(std::string("The picture declares ") + std::to_string(pixels) +
                              " pixels" + what + "; at most " + std::to_string(kMaxPicturePixels) +
                              " are accepted");
    }
}

namespace {

// A BMP's width and height (a top-down picture's height is negative in the header).
std::pair<std::int64_t, std::int64_t> BmpHeaderSize(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 26)
        throw BadPicture("The BMP picture is damaged");
    const auto read16 = [&](std::size_t at) {
        return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8;
    };
    const auto read32 = [&](std::size_t at) {
        return std::int32_t(read16(at) | read16(at + 2) << 16);
    };
    if (read32(14) == 12)  // the OS/2 header: 16-bit width and height
        return {read16(18), read16(20)};
    const std::int64_t width = read32(18), height = read32(22);
    return {width < 0 ? -width : width, height < 0 ? -height : height};
}

}  // namespace

Header CheckHeader(std::span<const std::uint8_t> bytes, l_int32 format) {
    if (format == IFF_GIF) {
        // Leptonica's header reader decodes a GIF whole, so measure it ourselves.
        const auto extent = MeasureGif(bytes);
        if (!extent)
            throw BadPicture("The GIF picture is damaged");
        CheckPixels(extent->screen_pixels, "");
        CheckPixels(extent->frame_pixels, " over its frames");
        return {extent->screen_pixels};
    }
    if (format == IFF_BMP) {
        // Leptonica's header reader decodes a BMP whole, and knows only the classic header.
        const auto [width, height] = BmpHeaderSize(bytes);
        const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
        CheckPixels(pixels, "");
        // Measured by pixels alone: the decoding plan reads no BMP reduced.
        return {pixels, 0, 0, false, int(width), int(height)};
    }
    l_int32 w = 0, h = 0, bps = 0, spp = 0, cmap = 0, header_format = 0;
    if (pixReadHeaderMem(bytes.data(), bytes.size(), &header_format, &w, &h, &bps, &spp, &cmap) !=
            0 ||
        w <= 0 || h <= 0) {
        throw BadPicture("The picture's header cannot be read");
    }
    const std::uint64_t pixels = std::uint64_t(w) * std::uint64_t(h);
    CheckPixels(pixels, "");
    return {pixels, w, h, spp == 1 && cmap == 0};
}

namespace {

l_int32 Reduced(l_int32 side, int numerator, int denominator) {
    return l_int32((std::int64_t(side) * numerator + denominator - 1) / denominator);
}

}  // namespace

Plan PlanDecoding(std::span<const std::uint8_t> bytes, l_int32 format, const Header& header,
                  const PictureReading& reading) {
    Plan plan;
    const l_int32 side = std::max(header.width, header.height);
    const bool reduce = reading.reading_side > 0 && side > reading.reading_side;
    std::uint64_t pixels = header.pixels, held_whole = 0;  // bytes held at full size
    if (format == IFF_JFIF_JPEG) {
        // libjpeg scales by eighths in the DCT: the fewest that keep the reading side.
        plan.reader = Plan::Reader::Jpeg;
        plan.denominator = 8;
        plan.numerator = 8;
        while (reduce && plan.numerator > 1 &&
               Reduced(side, plan.numerator - 1, 8) >= reading.reading_side)
            --plan.numerator;
        if (JpegIsProgressive(bytes))
            held_whole = header.pixels * (header.grey ? 1 : 3) * 2;
    } else if (format == IFF_PNG) {
        // Rows are averaged in blocks: whole blocks that keep the reading side.
        plan.reader = Plan::Reader::Png;
        plan.denominator = reduce ? side / reading.reading_side : 1;
        if (!PngReadsByRow(bytes))
            held_whole = header.pixels * (header.grey ? 1 : 4);
    }
    if (plan.numerator != plan.denominator)
        pixels = std::uint64_t(Reduced(header.width, plan.numerator, plan.denominator)) *
                 std::uint64_t(Reduced(header.height, plan.numerator, plan.denominator));
    const double per_pixel = (header.grey ? 1 : 4) + reading.engine_bytes_per_pixel;
    plan.memory = std::uint64_t(double(pixels) * per_pixel) + held_whole;
    if (reading.max_memory > 0 && plan.memory > reading.max_memory) {
        constexpr std::uint64_t kMiB = 1 << 20;
        throw PictureTooLarge("reading this picture would take about " +
                              std::to_string((plan.memory + kMiB - 1) / kMiB) +
                              " MiB of working memory; the service allows " +
                              std::to_string(reading.max_memory / kMiB) + " MiB a picture");
    }
    return plan;
}

}  // namespace ocrgated
