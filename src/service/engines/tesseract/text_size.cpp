#include "service/engines/tesseract/text_size.h"

#include <allheaders.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "service/pictures/picture_decoder.h"

namespace ocrgated {
namespace {

struct BoxaFree {
    void operator()(Boxa* boxa) const { boxaDestroy(&boxa); }
};

constexpr double kSmallestGoodHeight = 20.0;  // pixels of a typical glyph
constexpr double kMaxFactor = 4.0;
constexpr double kMaxScaledPixels = 16e6;
constexpr double kMaxMeasuredPixels = 8e6;  // beyond this the text is not "too small" to find

}  // namespace

double UpscaleFactor(Pix* pix) {
    const double pixels = double(pixGetWidth(pix)) * pixGetHeight(pix);
    if (pixels > kMaxMeasuredPixels)
        return 1.0;

    // Dark glyphs on a light ground: the median height of the connected
    // components stands for the glyph height.
    PixPtr binary(pixConvertTo1(pix, 160));
    if (!binary)
        return 1.0;
    std::unique_ptr<Boxa, BoxaFree> boxes(pixConnCompBB(binary.get(), 8));
    if (!boxes)
        return 1.0;
    std::vector<int> heights;
    const l_int32 count = boxaGetCount(boxes.get());
    for (l_int32 i = 0; i < count; ++i) {
        l_int32 x = 0, y = 0, w = 0, h = 0;
        if (boxaGetBoxGeometry(boxes.get(), i, &x, &y, &w, &h) != 0)
            continue;
        if (h >= 3 && w <= 4 * h && h < pixGetHeight(pix) / 2)
            heights.push_back(h);
    }
    if (heights.size() < 3)
        return 1.0;
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    const double median = heights[heights.size() / 2];
    if (median >= kSmallestGoodHeight / 1.6)
        return 1.0;

    double factor = std::min(kMaxFactor, kSmallestGoodHeight / median);
    factor = std::min(factor, std::sqrt(kMaxScaledPixels / pixels));
    return std::max(1.0, factor);
}

}  // namespace ocrgated
