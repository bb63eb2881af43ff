#pragma once
// The Tesseract command line as a Recognizer, the peer the PP-OCR engine is
// measured against.

#include "service/recognizer.h"

namespace quillory::testing {

class TesseractCli final : public ocrgated::Recognizer {
  public:
    std::vector<ocrgated::RecognizedLine> Recognize(std::span<const std::uint8_t> picture) override;
    std::string Name() const override { return "tesseract"; }
};

}  // namespace quillory::testing
