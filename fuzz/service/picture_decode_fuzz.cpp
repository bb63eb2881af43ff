// Feeds arbitrary BMP bytes to the picture decoder: the classic header goes to Leptonica,
// every other form to OpenCV, behind the service's own size checks.

#include <cstddef>
#include <cstdint>
#include <span>

#include "service/engines/recognizer.h"
#include "service/pictures/picture_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return 0;  // the other formats are the libraries' own business
    try {
        (void)ocrgated::DecodePicture(std::span<const std::uint8_t>(data, size));
    } catch (const ocrgated::BadPicture&) {
    } catch (const ocrgated::PictureTooLarge&) {
    }
    return 0;
}
