#pragma once
// QR codes, Data Matrix, Aztec, PDF417 and the linear barcodes (EAN/UPC, Code 128/39/93,
// ITF, Codabar, DataBar) on a picture, turned ones included, read with zxing-cpp.

#include <cstdint>
#include <span>
#include <vector>

#include "service/common/page_reading.h"

namespace ocrgated {

// The codes on the picture, top to bottom; none when it holds none. Throws BadPicture for
// bytes that are no picture. A picture of more than `full_pixels` is searched at half size.
std::vector<RecognizedCode> FindCodes(std::span<const std::uint8_t> picture,
                                      std::uint64_t full_pixels = 16'000'000);

}  // namespace ocrgated
