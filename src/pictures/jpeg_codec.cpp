#include "pictures/jpeg_codec.h"

// clang-format off
#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <jpeglib.h>
// clang-format on

#include "pictures/errors.h"

namespace pictures {
namespace {

// A progressive file may announce far more scans than any encoder writes; past this the
// decoding stops quietly with what it has, so that no file keeps the window busy.
constexpr int kMaxScans = 200;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code;
    bool stopped;  // cut short by the scan limit, not an error
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = err->pub.msg_code;
    std::longjmp(err->jump, 1);
}

// Warnings and trace messages are dropped.
void OnMessage(j_common_ptr, int) {}
void OnOutput(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        err->stopped = true;
        std::longjmp(err->jump, 1);
    }
}

// Owns a decompressor for the length of one call.
class Decompressor {
public:
    explicit Decompressor(const QByteArray& data) {
        cinfo_.err = jpeg_std_error(&err_.pub);
        err_.pub.error_exit = OnError;
        err_.pub.emit_message = OnMessage;
        err_.pub.output_message = OnOutput;
        err_.code = 0;
        err_.stopped = false;
        progress_.progress_monitor = OnProgress;
        jpeg_create_decompress(&cinfo_);
        cinfo_.progress = &progress_;
        cinfo_.mem->max_memory_to_use = long(kMaxPixelBytes);
        data_ = data;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Source and header; returns 0 or libjpeg's error code.
    int Header() {
        if (setjmp(err_.jump)) return err_.code;
        // An empty source is libjpeg's "empty input" error, raised here the same way.
        if (data_.isEmpty()) {
            err_.code = kJpegInputEmpty;
            return err_.code;
        }
        jpeg_mem_src(&cinfo_, reinterpret_cast<const unsigned char*>(data_.constData()),
                     static_cast<unsigned long>(data_.size()));
        jpeg_read_header(&cinfo_, TRUE);
        return 0;
    }

    // Decodes into rows of `stride` bytes at `pixels`; returns 0 or an error code.
    int Decode(std::uint8_t* pixels, std::size_t stride, bool cmyk) {
        if (setjmp(err_.jump)) return err_.stopped ? 0 : err_.code;
        jpeg_start_decompress(&cinfo_);
        while (cinfo_.output_scanline < cinfo_.output_height) {
            JSAMPROW row = pixels + std::size_t(cinfo_.output_scanline) * stride;
            jpeg_read_scanlines(&cinfo_, &row, 1);
            if (cmyk) CmykToBgr(row);
        }
        jpeg_finish_decompress(&cinfo_);
        return 0;
    }

    jpeg_decompress_struct& info() { return cinfo_; }

private:
    // CMYK rows are decoded 4 bytes per pixel in place and narrowed to BGR.
    void CmykToBgr(JSAMPROW row) {
        const bool inverted = cinfo_.saw_Adobe_marker;
        for (JDIMENSION x = 0; x < cinfo_.output_width; ++x) {
            int c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
            if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
            row[3 * x] = JSAMPLE(y * k / 255);
            row[3 * x + 1] = JSAMPLE(m * k / 255);
            row[3 * x + 2] = JSAMPLE(c * k / 255);
        }
    }

    jpeg_decompress_struct cinfo_{};
    ErrorManager err_{};
    jpeg_progress_mgr progress_{};
    QByteArray data_;
};

}  // namespace

JpegHeader ReadJpegHeader(const QByteArray& data) {
    Decompressor d(data);
    if (const int code = d.Header()) throw EJPEG(code);
    JpegHeader h;
    h.width = int(d.info().image_width);
    h.height = int(d.info().image_height);
    h.greyscale = d.info().jpeg_color_space == JCS_GRAYSCALE;
    h.progressive = jpeg_has_multiple_scans(&d.info());
    return h;
}

std::shared_ptr<DibSection> DecodeJpeg(const QByteArray& data) {
    Decompressor d(data);
    if (const int code = d.Header()) throw EJPEG(code);
    jpeg_decompress_struct& info = d.info();
    info.scale_num = 1;
    info.scale_denom = 1;
    info.do_fancy_upsampling = TRUE;
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;

    auto s = std::make_shared<DibSection>();
    s->width = int(info.image_width);
    s->height = -int(info.image_height);
    s->bitCount = grey ? 8 : 24;
    s->pixelBits = s->bitCount;
    // CMYK rows need 4 bytes per pixel while decoding.
    const std::size_t stride = DibSection::StrideFor(s->width, cmyk ? 32 : s->bitCount);
    if (std::int64_t(stride) * info.image_height > kMaxPixelBytes) throw EJPEG(kJpegOutOfMemory);
    PixelMemory rows(stride * info.image_height);
    if (const int code = d.Decode(rows.data(), stride, cmyk)) throw EJPEG(code);
    if (cmyk) {
        // Pack the BGR rows to the section's own stride.
        const std::size_t packed = s->Stride();
        for (std::size_t y = 1; y < info.image_height; ++y) {
            std::memmove(rows.data() + y * packed, rows.data() + y * stride, packed);
        }
    }
    s->pixels = std::move(rows);
    if (grey) {
        s->colours.resize(256);
        for (std::uint32_t i = 0; i < 256; ++i) s->colours[i] = i * 0x010101u;
    }
    return s;
}

}  // namespace pictures
