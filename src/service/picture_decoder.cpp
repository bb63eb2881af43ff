#include "service/picture_decoder.h"

#include <allheaders.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <climits>
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

std::uint64_t BmpHeaderPixels(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 26)
        throw BadPicture("The BMP picture is damaged");
    const auto read16 = [&](std::size_t at) {
        return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8;
    };
    const auto read32 = [&](std::size_t at) {
        return std::int32_t(read16(at) | read16(at + 2) << 16);
    };
    if (read32(14) == 12)  // the OS/2 header: 16-bit width and height
        return std::uint64_t(read16(18)) * read16(20);
    const std::int64_t width = read32(18), height = read32(22);
    return std::uint64_t(width < 0 ? -width : width) * std::uint64_t(height < 0 ? -height : height);
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
        // Leptonica's header reader decodes a BMP whole, and knows only the classic header.
        CheckPixels(BmpHeaderPixels(bytes), "");
        return;
    }
    l_int32 w = 0, h = 0, bps = 0, spp = 0, cmap = 0, header_format = 0;
    if (pixReadHeaderMem(bytes.data(), bytes.size(), &header_format, &w, &h, &bps, &spp, &cmap) !=
            0 ||
        w <= 0 || h <= 0) {
        throw BadPicture("The picture's header cannot be read");
    }
    CheckPixels(std::uint64_t(w) * std::uint64_t(h), "");
}

// Transparent parts are laid on white, unless what shows through the alpha is mostly
// light (white text on a transparent badge): then on black, so the ink stays visible.
class Backdrop {
  public:
    void See(unsigned r, unsigned g, unsigned b, unsigned a) {
        light_ += a * (299 * r + 587 * g + 114 * b) / 1000;
        weight_ += a;
    }
    unsigned Level() const { return weight_ > 0 && light_ > weight_ * 160 ? 0 : 255; }

  private:
    std::uint64_t light_ = 0, weight_ = 0;
};

// A BMP form Leptonica does not read (V4 and V5 headers, OS/2 headers, run-length
// coding, bit fields), decoded by OpenCV. Alpha is laid on a backdrop, unless every alpha
// byte is zero: then the bytes are padding, and the picture is opaque.
PixPtr DecodeBmpWithOpenCv(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > std::size_t(INT_MAX))
        throw BadPicture("The BMP picture is too large");
    const cv::Mat encoded(1, int(bytes.size()), CV_8UC1, const_cast<std::uint8_t*>(bytes.data()));
    cv::Mat picture;
    try {
        picture = cv::imdecode(encoded, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        picture.release();
    }
    const int channels = picture.channels();
    if (picture.empty() || picture.depth() != CV_8U ||
        (channels != 1 && channels != 3 && channels != 4))
        throw BadPicture("The picture cannot be decoded; it may be damaged or truncated");
    CheckPixels(std::uint64_t(picture.cols) * std::uint64_t(picture.rows), "");

    bool opaque = true;
    Backdrop backdrop;
    if (channels == 4) {
        cv::Mat alpha;
        cv::extractChannel(picture, alpha, 3);
        opaque = cv::countNonZero(alpha) == 0;
        for (int y = 0; y < picture.rows && !opaque; ++y)
            for (const auto& p : cv::Mat_<cv::Vec4b>(picture.row(y)))
                backdrop.See(p[2], p[1], p[0], p[3]);
    }
    const unsigned level = backdrop.Level();
    PixPtr pix(pixCreate(picture.cols, picture.rows, channels == 1 ? 8 : 32));
    if (!pix)
        throw BadPicture("The picture cannot be decoded; it may be damaged or truncated");
    const l_int32 wpl = pixGetWpl(pix.get());
    l_uint32* const data = pixGetData(pix.get());
    for (int y = 0; y < picture.rows; ++y) {
        const std::uint8_t* in = picture.ptr<std::uint8_t>(y);
        l_uint32* line = data + std::ptrdiff_t(y) * wpl;
        for (int x = 0; x < picture.cols; ++x, in += channels) {
            if (channels == 1) {
                SET_DATA_BYTE(line, x, in[0]);
                continue;
            }
            const unsigned a = opaque ? 255 : in[3];
            // c * a + level * (255 - a), over 255, rounded.
            const auto blended = [a, level](unsigned c) {
                return l_int32((c * a + level * (255 - a) + 127) / 255);
            };
            composeRGBPixel(blended(in[2]), blended(in[1]), blended(in[0]), line + x);
        }
    }
    return pix;
}

PixPtr Normalise(PixPtr pix) {
    if (pixGetColormap(pix.get())) {
        pix.reset(pixRemoveColormap(pix.get(), REMOVE_CMAP_BASED_ON_SRC));
    }
    if (!pix)
        throw BadPicture("The picture's colour map cannot be applied");
    if (pixGetDepth(pix.get()) == 32 && pixGetSpp(pix.get()) == 4) {
        Backdrop backdrop;
        const l_int32 width = pixGetWidth(pix.get()), height = pixGetHeight(pix.get());
        const l_int32 wpl = pixGetWpl(pix.get());
        for (l_int32 y = 0; y < height; ++y) {
            const l_uint32* line = pixGetData(pix.get()) + std::ptrdiff_t(y) * wpl;
            for (l_int32 x = 0; x < width; ++x) {
                l_int32 r, g, b, a;
                extractRGBAValues(line[x], &r, &g, &b, &a);
                backdrop.See(unsigned(r), unsigned(g), unsigned(b), unsigned(a));
            }
        }
        const l_uint32 level = backdrop.Level();
        pix.reset(pixAlphaBlendUniform(pix.get(), level << 24 | level << 16 | level << 8));
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
    if (!pix && format == IFF_BMP)
        pix = DecodeBmpWithOpenCv(bytes);
    if (!pix)
        throw BadPicture("The picture cannot be decoded; it may be damaged or truncated");
    CheckPixels(std::uint64_t(pixGetWidth(pix.get())) * std::uint64_t(pixGetHeight(pix.get())), "");
    return Normalise(std::move(pix));
}

}  // namespace ocrgated
