#pragma once
// What the engine benchmarks time: one reading of a picture, and the middle of several.

#include "service/engines/ppocr/pp_ocr_recognizer.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "support/median.h"

namespace bench {

using quillory::testing::Median;

// Seconds the engine takes to read the picture, its tables included.
inline double SecondsToRead(ocrgated::ppocr::PpOcrRecognizer& engine,
                            const std::vector<std::uint8_t>& png) {
    const auto start = std::chrono::steady_clock::now();
    engine.ReadPage(png);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace bench
