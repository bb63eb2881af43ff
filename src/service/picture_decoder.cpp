#include "service/picture_decoder.h"

#include <allheaders.h>

#include <mutex>
#include <string>

#include "service/gif_frames.h"
#include "service/recognizer.h"

namespace ocrgated {

void PixFree::operator()(Pix* pix) const {
    pixDestroy(&pix);
}

namespace {

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

// Measures the picture from its header alone.
void CheckHeader(std::span<const std::uint8_t> bytes, l_int32 format) {
    if (format == IFF_GIF) {
        // Leptonica's header reader decodes a GIF whole, so measure it ourselves.
        const auto extent = MeasureGif(bytes);
        if (!extent)
            throw BadPicture("The GIF picture is damaged");
        CheckPixels(extent->screen_pixels, "");
        CheckPixels(extent->frame_pixels, " over its frames");
        return;
    }
    if (format == IFF_BMP) {
        // Leptonica's header reader decodes a BMP whole, too.
        if (bytes.size() < 26)
            throw BadPicture("The BMP picture is damaged");
        const auto read32 = [&](std::size_t at) {
            return std::int32_t(std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
                                std::uint32_t(bytes[at + 2]) << 16 |
                                std::uint32_t(bytes[at + 3]) << 24);
        };
        const std::int64_t width = read32(18), height = read32(22);
        CheckPixels(std::uint64_t(width < 0 ? -width : width) *
                        std::uint64_t(height < 0 ? -height : height),
                    "");
    }
    l_int32 w = 0, h = 0, bps = 0, spp = 0, cmap = 0, header_format = 0;
    if (pixReadHeaderMem(bytes.data(), bytes.size(), &header_format, &w, &h, &bps, &spp, &cmap) !=
            0 ||
        w <= 0 || h <= 0) {
        throw BadPicture("The picture's header cannot be read");
    }
    CheckPixels(std::uint64_t(w) * std::uint64_t(h), "");
}

PixPtr Normalise(PixPtr pix) {
    if (pixGetColormap(pix.get())) {
        pix.reset(pixRemoveColormap(pix.get(), REMOVE_CMAP_BASED_ON_SRC));
    }
    if (!pix)
        throw BadPicture("The picture's colour map cannot be applied");
    if (pixGetDepth(pix.get()) == 32 && pixGetSpp(pix.get()) == 4) {
        pix.reset(pixAlphaBlendUniform(pix.get(), 0xffffff00));
        if (!pix)
            throw BadPicture("The picture's transparency cannot be applied");
        pixSetSpp(pix.get(), 3);
    }
    const l_int32 depth = pixGetDepth(pix.get());
    if (depth != 8 && depth != 32) {
        pix.reset(depth < 8 ? pixConvertTo8(pix.get(), 0) : pixConvertTo32(pix.get()));
        if (!pix)
            throw BadPicture("The picture's pixel depth is not supported");
    }
    return pix;
}

}  // namespace

PixPtr DecodePicture(std::span<const std::uint8_t> bytes) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { setMsgSeverity(L_SEVERITY_NONE); });

    // Leptonica reads the first 12 bytes to find the format.
    if (bytes.size() < 16)
        throw BadPicture("The data is too short to be a picture");
    l_int32 format = IFF_UNKNOWN;
    if (findFileFormatBuffer(bytes.data(), &format) != 0 || !Accepted(format)) {
        throw BadPicture("The data is not a JPEG, PNG, BMP, GIF, TIFF or WebP picture");
    }
    CheckHeader(bytes, format);

    PixPtr pix(pixReadMem(bytes.data(), bytes.size()));
    if (!pix)
        throw BadPicture("The picture cannot be decoded; it may be damaged or truncated");
    CheckPixels(std::uint64_t(pixGetWidth(pix.get())) * std::uint64_t(pixGetHeight(pix.get())), "");
    return Normalise(std::move(pix));
}

}  // namespace ocrgated
