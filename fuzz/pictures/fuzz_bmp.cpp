// Loads the input with the TBitmap kind, then saves and draws it.
#include "fuzz_kind.h"
#include "pictures/bitmap.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz_pictures::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_pictures::Exercise<pictures::TBitmap>(data, size);
    return 0;
}
