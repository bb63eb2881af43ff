// Loads the input with the TPngGraphic kind, then saves and draws it.
#include "fuzz_kind.h"
#include "pictures/png_graphic.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz_pictures::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_pictures::Exercise<pictures::TPngGraphic>(data, size);
    return 0;
}
