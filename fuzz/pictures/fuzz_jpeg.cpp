// Loads the input with the TJPEGImage kind, then saves and draws it.
#include "fuzz_kind.h"
#include "pictures/jpeg_image.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz_pictures::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_pictures::Exercise<pictures::TJPEGImage>(data, size);
    return 0;
}
