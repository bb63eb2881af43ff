#include "service/pictures/picture_decoder.h"

#include "service/common/page_reading.h"

#include <allheaders.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "service/common/recognition_context.h"
#include "service/common/picture_errors.h"
#include "service/common/recognized_line.h"
#include "service/pictures/decoding_plan.h"
#include "service/pictures/jpeg_reader.h"
#include "service/pictures/png_reader.h"

namespace ocrgated {

void PixFree::operator()(Pix* pix) const {
    pixDestroy(&pix);
}

namespace {

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

// Leptonica reads the classic 40-byte header without compression; asked for anything else
// it logs an error a reader of the log would take for a failure.
bool LeptonicaReadsBmp(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 34)
        return false;
    const auto read32 = [&](std::size_t at) {
        return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
               std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
    };
    return read32(14) == 40 && read32(30) == 0;
}

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

// Many screenshots carry an alpha channel that is opaque throughout.
bool Opaque(Pix* pix) {
    const l_int32 width = pixGetWidth(pix), height = pixGetHeight(pix), wpl = pixGetWpl(pix);
    for (l_int32 y = 0; y < height; ++y) {
        const l_uint32* line = pixGetData(pix) + std::ptrdiff_t(y) * wpl;
        for (l_int32 x = 0; x < width; ++x)
            if (((line[x] >> L_ALPHA_SHIFT) & 0xff) != 0xff)
                return false;
    }
    return true;
}

PixPtr Normalise(PixPtr pix) {
    if (pixGetColormap(pix.get())) {
        pix.reset(pixRemoveColormap(pix.get(), REMOVE_CMAP_BASED_ON_SRC));
    }
    if (!pix)
        throw BadPicture("The picture's colour map cannot be applied");
    if (pixGetDepth(pix.get()) == 32 && pixGetSpp(pix.get()) == 4 && !Opaque(pix.get())) {
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
        // In place: a copy of a large picture would double what it holds.
        const unsigned level = backdrop.Level();
        const auto blended = [level](l_int32 c, l_int32 a) {
            return l_int32((unsigned(c) * unsigned(a) + level * (255 - unsigned(a)) + 127) / 255);
        };
        for (l_int32 y = 0; y < height; ++y) {
            l_uint32* line = pixGetData(pix.get()) + std::ptrdiff_t(y) * wpl;
            for (l_int32 x = 0; x < width; ++x) {
                l_int32 r, g, b, a;
                extractRGBAValues(line[x], &r, &g, &b, &a);
                composeRGBPixel(blended(r, a), blended(g, a), blended(b, a), line + x);
            }
        }
    }
    if (pixGetDepth(pix.get()) == 32)
        pixSetSpp(pix.get(), 3);
    const l_int32 depth = pixGetDepth(pix.get());
    if (depth != 8 && depth != 32) {
        pix.reset(depth < 8 ? pixConvertTo8(pix.get(), 0) : pixConvertTo32(pix.get()));
        if (!pix)
            throw BadPicture("The picture's pixel depth is not supported");
    }
    return pix;
}

// Leptonica's warnings and errors go to the log under the request being served, its
// informational chatter nowhere.
void LeptonicaSays(const char* message) {
    LogDecoderMessage("leptonica", message);
}

}  // namespace

void RouteDecoderMessagesToLog() {
    leptSetStderrHandler(LeptonicaSays);
    setMsgSeverity(L_SEVERITY_WARNING);
    LogStandardErrorStream("opencv");
}

DecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, const PictureReading& reading) {
    // Leptonica reads the first 12 bytes to find the format.
    if (bytes.size() < 16)
        throw BadPicture("The data is too short to be a picture");
    l_int32 format = IFF_UNKNOWN;
    if (findFileFormatBuffer(bytes.data(), &format) != 0 || !Accepted(format)) {
        throw BadPicture("The data is not a JPEG, PNG, BMP, GIF, TIFF or WebP picture");
    }
    const Header header = CheckHeader(bytes, format);
    const Plan plan = PlanDecoding(bytes, format, header, reading);

    PixPtr pix;
    switch (plan.reader) {
        case Plan::Reader::Jpeg:
            pix = ReadJpegScaled(bytes, plan.numerator);
            break;
        case Plan::Reader::Png:
            pix = ReadPngReduced(bytes, plan.denominator);
            break;
        case Plan::Reader::Leptonica:
            if (format == IFF_BMP && !LeptonicaReadsBmp(bytes)) {
                pix = DecodeBmpWithOpenCv(bytes);
                break;
            }
            pix.reset(pixReadMem(bytes.data(), bytes.size()));
            if (!pix && format == IFF_BMP)
                pix = DecodeBmpWithOpenCv(bytes);
            break;
    }
    if (!pix)
        throw BadPicture("The picture cannot be decoded; it may be damaged or truncated");
    CheckPixels(std::uint64_t(pixGetWidth(pix.get())) * std::uint64_t(pixGetHeight(pix.get())), "");
    const double scale =
        header.width > 0 ? double(pixGetWidth(pix.get())) / double(header.width) : 1.0;
    return {Normalise(std::move(pix)), scale};
}

std::optional<std::pair<int, int>> PictureSize(std::span<const std::uint8_t> bytes) {
    l_int32 format = IFF_UNKNOWN;
    if (bytes.size() < 16 || findFileFormatBuffer(bytes.data(), &format) != 0 || !Accepted(format))
        return std::nullopt;
    try {
        const Header header = CheckHeader(bytes, format);
        const int width = header.width > 0 ? header.width : header.own_width;
        const int height = header.height > 0 ? header.height : header.own_height;
        if (width > 0 && height > 0)
            return std::pair{width, height};
    } catch (const std::exception&) {
        // The decoder says what is wrong with it.
    }
    return std::nullopt;
}

PixPtr DecodePicture(std::span<const std::uint8_t> bytes) {
    return DecodePicture(bytes, PictureReading{}).pix;
}

void ToPictureScale(PageReading& page, double scale) {
    ToPictureScale(page.lines, scale);
    if (scale == 1.0)
        return;
    const auto back = [scale](PicturePoint& p) {
        p = {int(std::lround(p.x / scale)), int(std::lround(p.y / scale))};
    };
    for (RecognizedTable& table : page.tables) {
        std::for_each(table.corners.begin(), table.corners.end(), back);
        for (TableCell& cell : table.cells)
            std::for_each(cell.corners.begin(), cell.corners.end(), back);
        for (auto* notes : {&table.header, &table.footer})
            for (TableNote& note : *notes)
                std::for_each(note.corners.begin(), note.corners.end(), back);
    }
}

void ToPictureScale(std::vector<RecognizedLine>& lines, double scale) {
    if (scale == 1.0)
        return;
    const auto back = [scale](int value) { return int(std::lround(value / scale)); };
    // Edges are scaled, not sizes, so that what lay inside a box still does.
    const auto box = [&back](int& left, int& top, int& width, int& height) {
        const int right = back(left + width), bottom = back(top + height);
        left = back(left);
        top = back(top);
        width = right - left;
        height = bottom - top;
    };
    for (RecognizedLine& line : lines) {
        box(line.left, line.top, line.width, line.height);
        for (PicturePoint& corner : line.corners)
            corner = {back(corner.x), back(corner.y)};
        for (PlacedCharacter& c : line.characters)
            box(c.left, c.top, c.width, c.height);
    }
}

}  // namespace ocrgated
