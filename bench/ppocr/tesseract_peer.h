#pragma once
// The peer engine of the benchmarks: Tesseract in process (Simplified Chinese
// and English), initialised once, so that only recognition is timed.

#include "service/recognizer.h"

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

namespace quillory::bench {

class TesseractPeer final : public ocrgated::Recognizer {
  public:
    TesseractPeer();
    ~TesseractPeer() override;
    std::vector<ocrgated::RecognizedLine> Recognize(std::span<const std::uint8_t> picture) override;
    std::string Name() const override { return "tesseract"; }

  private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
};

}  // namespace quillory::bench
