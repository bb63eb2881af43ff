#include "pictures/jpeg_codec.h"

#include <cstring>

#include "jpeg/decoder.h"
#include "pictures/errors.h"

namespace pictures {
namespace {

// A progressive file may announce far more scans than any encoder writes; past this the
// decoding stops quietly with what it has, so that no file keeps the window busy.
constexpr int kMaxScans = 200;

// Reads the header; raises EJPEG with libjpeg's message code.
std::unique_ptr<jpeg::Decoder> Open(const QByteArray& data) {
    try {
        return std::make_unique<jpeg::Decoder>(
            std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                      std::size_t(data.size())),
            jpeg::Limits{long(kMaxPixelBytes), kMaxScans, {}});
    } catch (const jpeg::Error& e) {
        throw EJPEG(e.Code());
    }
}

}  // namespace

JpegHeader ReadJpegHeader(const QByteArray& data) {
    const auto d = Open(data);
    return {d->header().width, d->header().height, d->header().greyscale, d->header().progressive};
}

std::shared_ptr<DibSection> DecodeJpeg(const QByteArray& data) {
    const auto d = Open(data);
    const bool grey = d->header().greyscale;
    const bool cmyk = d->header().cmyk;
    auto s = std::make_shared<DibSection>();
    s->width = d->header().width;
    s->height = -d->header().height;
    s->bitCount = grey ? 8 : 24;
    s->pixelBits = s->bitCount;
    // CMYK rows need 4 bytes per pixel while decoding.
    const std::size_t stride = DibSection::StrideFor(s->width, cmyk ? 32 : s->bitCount);
    const auto height = std::size_t(d->header().height);
    if (std::int64_t(stride) * std::int64_t(height) > kMaxPixelBytes)
        throw EJPEG(kJpegOutOfMemory);
    PixelMemory rows(stride * height);
    try {
        d->Start(grey ? jpeg::Output::Grey : jpeg::Output::Bgr);
        for (std::size_t y = 0; y < height && d->ReadRow(rows.data() + y * stride); ++y) {
        }
        d->Finish();
    } catch (const jpeg::Error& e) {
        throw EJPEG(e.Code());
    }
    if (cmyk) {
        // Pack the BGR rows to the section's own stride.
        const std::size_t packed = s->Stride();
        for (std::size_t y = 1; y < height; ++y) {
            std::memmove(rows.data() + y * packed, rows.data() + y * stride, packed);
        }
    }
    s->pixels = std::move(rows);
    if (grey) {
        s->colours.resize(256);
        for (std::uint32_t i = 0; i < 256; ++i)
            s->colours[i] = i * 0x010101u;
    }
    return s;
}

}  // namespace pictures
