#pragma once
// The Tesseract engine: one TessBaseAPI per instance, so one per worker thread.

#include <memory>
#include <string>

#include "service/engines/recognizer.h"

struct Pix;

namespace tesseract {
class TessBaseAPI;
}

namespace ocrgated {

class TesseractRecognizer final : public Recognizer {
  public:
    // Loads the languages ("chi_sim+eng"); throws std::runtime_error when their
    // data cannot be loaded.
    explicit TesseractRecognizer(const std::string& languages);
    ~TesseractRecognizer() override;
    TesseractRecognizer(const TesseractRecognizer&) = delete;
    TesseractRecognizer& operator=(const TesseractRecognizer&) = delete;

    std::vector<RecognizedLine> Recognize(std::span<const std::uint8_t> picture) override;
    std::string Name() const override;

  private:
    // One pass of the engine over the page in its current segmentation mode.
    std::vector<RecognizedLine> ReadPage(Pix* pix, double scale);

    std::unique_ptr<tesseract::TessBaseAPI> api_;
    std::string languages_;
};

}  // namespace ocrgated
