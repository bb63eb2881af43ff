#include "service/engines/ppocr/picture_input.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <numeric>

#include "service/common/recognition_context.h"
#include "service/pictures/picture_decoder.h"

namespace ocrgated::ppocr {

// The service's decoder refuses oversized pictures from their header, before
// any pixel is decoded, and gives 8-bit grey or 32-bit RGB without alpha. A picture
// over three times the detector's side is decoded reduced to no less than that: text
// 8 pixels tall to the detector, about the least it finds, keeps 24 pixels, half the
// recognition networks' line height. `scale` says by how much it was reduced.
cv::Mat DecodeToBgr(std::span<const std::uint8_t> bytes, int detection_side, double& scale) {
    // The BGR copy below is what the engine holds beside the decoded picture.
    DecodedPicture decoded =
        DecodePicture(bytes, {3, 3 * detection_side, PictureMemoryLimit()});
    scale = decoded.scale;
    const PixPtr pix = std::move(decoded.pix);
    const int width = pixGetWidth(pix.get()), height = pixGetHeight(pix.get());
    const int words_per_line = pixGetWpl(pix.get());
    const bool grey = pixGetDepth(pix.get()) == 8;
    cv::Mat picture(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        const l_uint32* line =
            pixGetData(pix.get()) + static_cast<std::ptrdiff_t>(y) * words_per_line;
        auto* out = picture.ptr<cv::Vec3b>(y);
        for (int x = 0; x < width; ++x) {
            if (grey) {
                const auto value = static_cast<std::uint8_t>(GET_DATA_BYTE(line, x));
                out[x] = {value, value, value};
            } else {
                const l_uint32 rgb = line[x];
                out[x] = {static_cast<std::uint8_t>(rgb >> L_BLUE_SHIFT),
                          static_cast<std::uint8_t>(rgb >> L_GREEN_SHIFT),
                          static_cast<std::uint8_t>(rgb >> L_RED_SHIFT)};
            }
        }
    }
    return picture;
}

void FillConfidence(RecognizedLine& line, const std::vector<float>& probabilities) {
    const double n = static_cast<double>(probabilities.size());
    line.average = std::accumulate(probabilities.begin(), probabilities.end(), 0.0) / n;
    line.min = *std::min_element(probabilities.begin(), probabilities.end());
    double squares = 0;
    for (float p : probabilities)
        squares += (p - line.average) * (p - line.average);
    line.variance = squares / n;
}

}  // namespace ocrgated::ppocr
