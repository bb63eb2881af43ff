#pragma once
// One PP-OCR engine for the whole test program: loading the networks is the
// slow part.

#include "service/engines/ppocr/pp_ocr_recognizer.h"

#include <gtest/gtest.h>

namespace quillory::testing {

// The engine on the build tree's models, or null with the reason they could
// not be obtained. Models that were fetched but fail to load are a failure.
ocrgated::ppocr::PpOcrRecognizer* SharedEngine(std::string& why_missing);

#define QUILLORY_REQUIRE_PPOCR(engine)                              \
    std::string why_missing_;                                       \
    auto* engine = ::quillory::testing::SharedEngine(why_missing_); \
    if (!engine)                                                    \
    GTEST_SKIP() << why_missing_

}  // namespace quillory::testing
