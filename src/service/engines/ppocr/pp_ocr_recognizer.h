#pragma once
// The PP-OCR engine on OpenCV's DNN module, in stages: detection, page orientation,
// direction classification, recognition and reading order.

#include "service/engines/ppocr/pp_ocr_models.h"
#include "service/engines/ppocr/pp_ocr_options.h"
#include "service/engines/ppocr/stage_times.h"
#include "service/engines/recognizer.h"

#include <memory>

namespace cv {
class Mat;
}

namespace ocrgated::ppocr {

class PpOcrRecognizer final : public Recognizer {
  public:
    explicit PpOcrRecognizer(std::shared_ptr<const PpOcrModels> models, PpOcrOptions options = {});
    ~PpOcrRecognizer() override;
    PpOcrRecognizer(const PpOcrRecognizer&) = delete;
    PpOcrRecognizer& operator=(const PpOcrRecognizer&) = delete;

    std::vector<RecognizedLine> Recognize(std::span<const std::uint8_t> picture) override;
    PageReading ReadPage(std::span<const std::uint8_t> picture,
                         const ReadingHints& hints = {}) override;
    // picture: decoded, 8-bit BGR.
    std::vector<RecognizedLine> Recognize(const cv::Mat& picture);
    PageReading ReadPage(const cv::Mat& picture, const ReadingHints& hints = {});
    std::string Name() const override { return "ppocr"; }
    // Where the last picture's reading spent its time, stage by stage.
    const StageTimes& LastStageTimes() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ocrgated::ppocr
