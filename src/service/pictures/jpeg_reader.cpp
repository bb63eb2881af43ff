#include "service/pictures/jpeg_reader.h"

#include <allheaders.h>

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "service/engines/recognition_context.h"
#include "service/engines/recognizer.h"

namespace ocrgated {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void Fail(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void Say(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    LogDecoderMessage("libjpeg", message);
}

struct Decompress {
    jpeg_decompress_struct info{};
    ~Decompress() { jpeg_destroy_decompress(&info); }
};

}  // namespace

bool JpegIsProgressive(std::span<const std::uint8_t> bytes) {
    // Segments from the start of the file to the first frame header: SOF2, 6, 10 and 14
    // start progressive frames.
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return (marker & 0x03) == 0x02;
        if (marker == 0xDA)
            return false;
        at += 2 + (std::size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
    }
    return false;
}

PixPtr ReadJpegScaled(std::span<const std::uint8_t> bytes, int eighths) {
    ErrorManager errors{};
    Decompress jpeg;
    PixPtr pix;
    std::vector<JSAMPLE> row;
    jpeg.info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = Fail;
    errors.base.output_message = Say;
    // Everything with a destructor lives above this line: libjpeg's errors jump back here.
    if (setjmp(errors.jump))
        throw BadPicture(std::string("The JPEG picture cannot be decoded: ") + errors.message);
    jpeg_create_decompress(&jpeg.info);
    jpeg_mem_src(&jpeg.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&jpeg.info, TRUE);
    const int components = jpeg.info.num_components;
    const bool cmyk =
        jpeg.info.jpeg_color_space == JCS_CMYK || jpeg.info.jpeg_color_space == JCS_YCCK;
    jpeg.info.out_color_space = components == 1 ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg.info.scale_num = static_cast<unsigned>(eighths);
    jpeg.info.scale_denom = 8;
    jpeg_start_decompress(&jpeg.info);
    const int channels = jpeg.info.output_components;
    const auto width = static_cast<l_int32>(jpeg.info.output_width);
    const auto height = static_cast<l_int32>(jpeg.info.output_height);
    pix.reset(pixCreate(width, height, channels == 1 ? 8 : 32));
    if (!pix) {
        std::snprintf(errors.message, sizeof errors.message, "no memory for the picture");
        std::longjmp(errors.jump, 1);
    }
    // Adobe's CMYK JPEGs store their inks inverted.
    const bool inverted = jpeg.info.saw_Adobe_marker;
    row.resize(std::size_t(width) * std::size_t(channels));
    const l_int32 wpl = pixGetWpl(pix.get());
    while (jpeg.info.output_scanline < jpeg.info.output_height) {
        const auto y = static_cast<l_int32>(jpeg.info.output_scanline);
        if (y % 1024 == 0)
            CheckDeadline();
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&jpeg.info, rows, 1);
        l_uint32* line = pixGetData(pix.get()) + std::ptrdiff_t(y) * wpl;
        const JSAMPLE* in = row.data();
        for (l_int32 x = 0; x < width; ++x, in += channels) {
            if (channels == 1) {
                SET_DATA_BYTE(line, x, in[0]);
            } else if (channels == 3) {
                composeRGBPixel(in[0], in[1], in[2], line + x);
            } else {
                const auto ink = [&](int c) { return inverted ? in[c] : 255 - in[c]; };
                const auto level = [&](int c) { return l_int32(ink(c) * ink(3) / 255); };
                composeRGBPixel(level(0), level(1), level(2), line + x);
            }
        }
    }
    jpeg_finish_decompress(&jpeg.info);
    return pix;
}

}  // namespace ocrgated
