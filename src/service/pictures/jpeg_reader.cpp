#include "service/pictures/jpeg_reader.h"

#include <allheaders.h>

#include <string>
#include <vector>

#include "jpeg/decoder.h"
#include "service/common/picture_errors.h"
#include "service/common/recognition_context.h"

namespace ocrgated {

bool JpegIsProgressive(std::span<const std::uint8_t> bytes) {
    return jpeg::IsProgressive(bytes);
}

PixPtr ReadJpegScaled(std::span<const std::uint8_t> bytes, int eighths) {
    try {
        jpeg::Decoder jpeg(bytes, {0, 0, [](const std::string& message) {
                                       LogDecoderMessage("libjpeg", message);
                                   }});
        jpeg.Start(jpeg::Output::Rgb, eighths);
        const int channels = jpeg.OutputChannels();
        const l_int32 width = jpeg.OutputWidth(), height = jpeg.OutputHeight();
        PixPtr pix(pixCreate(width, height, channels == 1 ? 8 : 32));
        if (!pix)
            throw BadPicture("The JPEG picture cannot be decoded: no memory for the picture");
        std::vector<std::uint8_t> row(jpeg.RowBytes());
        const l_int32 wpl = pixGetWpl(pix.get());
        for (l_int32 y = 0; y < height; ++y) {
            if (y % 1024 == 0)
                CheckDeadline();
            if (!jpeg.ReadRow(row.data()))
                break;
            l_uint32* line = pixGetData(pix.get()) + std::ptrdiff_t(y) * wpl;
            const std::uint8_t* in = row.data();
            for (l_int32 x = 0; x < width; ++x, in += channels) {
                if (channels == 1)
                    SET_DATA_BYTE(line, x, in[0]);
                else
                    composeRGBPixel(in[0], in[1], in[2], line + x);
            }
        }
        jpeg.Finish();
        return pix;
    } catch (const jpeg::Error& e) {
        throw BadPicture(std::string("The JPEG picture cannot be decoded: ") + e.what());
    }
}

}  // namespace ocrgated
