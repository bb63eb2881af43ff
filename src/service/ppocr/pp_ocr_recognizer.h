#pragma once
// The PP-OCR engine: detection, optional direction classification and
// recognition networks on OpenCV's DNN module.

#include "service/engines/recognizer.h"
#include "service/pictures/picture_decoder.h"
#include "service/ppocr/pp_ocr_models.h"

#include <memory>

namespace cv {
class Mat;
}

namespace ocrgated::ppocr {

struct PpOcrOptions {
    bool classify_direction = true;    // turn upside-down lines before reading
    float min_line_confidence = 0.5f;  // lines read with less are dropped as noise
    // For decoded pictures handed in directly; bytes meet the decoder's own check.
    long long max_pixels = static_cast<long long>(kMaxPicturePixels);
};

class PpOcrRecognizer final : public Recognizer {
  public:
    explicit PpOcrRecognizer(std::shared_ptr<const PpOcrModels> models, PpOcrOptions options = {});
    ~PpOcrRecognizer() override;
    PpOcrRecognizer(const PpOcrRecognizer&) = delete;
    PpOcrRecognizer& operator=(const PpOcrRecognizer&) = delete;

    std::vector<RecognizedLine> Recognize(std::span<const std::uint8_t> picture) override;
    // picture: decoded, 8-bit BGR.
    std::vector<RecognizedLine> Recognize(const cv::Mat& picture);
    std::string Name() const override { return "ppocr"; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ocrgated::ppocr
