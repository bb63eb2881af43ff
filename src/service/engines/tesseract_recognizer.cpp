#include "service/engines/tesseract_recognizer.h"

#include <allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "service/core/recognition_context.h"
#include "service/engines/text_cleanup.h"
#include "service/engines/text_size.h"
#include "service/pictures/picture_decoder.h"

namespace ocrgated {
namespace {

// Collects one line's text and character confidences as the iterator walks it.
class LineBuilder {
  public:
    void Start(int left, int top, int right, int bottom, double scale) {
        line_ = RecognizedLine{};
        line_.left = static_cast<int>(std::lround(left / scale));
        line_.top = static_cast<int>(std::lround(top / scale));
        line_.width = static_cast<int>(std::lround((right - left) / scale));
        line_.height = static_cast<int>(std::lround((bottom - top) / scale));
        confidences_.clear();
        open_ = true;
    }
    void AddSymbol(const char* text, bool starts_word, float confidence) {
        if (!text || !*text)
            return;
        if (starts_word && !line_.words.empty())
            line_.words += ' ';
        line_.words += text;
        confidences_.push_back(std::clamp(confidence / 100.0, 0.0, 1.0));
    }
    void Finish(std::vector<RecognizedLine>& lines) {
        if (!open_)
            return;
        open_ = false;
        line_.words = RemoveCjkSpaces(line_.words);
        if (line_.words.empty() || confidences_.empty())
            return;
        double sum = 0.0, low = 1.0;
        for (double c : confidences_)
            sum += c, low = std::min(low, c);
        const double mean = sum / double(confidences_.size());
        double spread = 0.0;
        for (double c : confidences_)
            spread += (c - mean) * (c - mean);
        line_.average = mean;
        line_.min = low;
        line_.variance = spread / double(confidences_.size());
        lines.push_back(std::move(line_));
    }

  private:
    RecognizedLine line_;
    std::vector<double> confidences_;
    bool open_ = false;
};

struct TextFree {
    void operator()(char* text) const { delete[] text; }
};

}  // namespace

TesseractRecognizer::TesseractRecognizer(const std::string& languages)
    : api_(std::make_unique<tesseract::TessBaseAPI>()), languages_(languages) {
    if (api_->Init(nullptr, languages.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
        throw std::runtime_error("Tesseract cannot load the languages " + languages);
    }
    api_->SetPageSegMode(tesseract::PSM_AUTO);
    // Keep the engine's diagnostics out of the access log.
    api_->SetVariable("debug_file", "/dev/null");
}

TesseractRecognizer::~TesseractRecognizer() {
    api_->End();
}

std::string TesseractRecognizer::Name() const {
    return "tesseract " + languages_;
}

std::vector<RecognizedLine> TesseractRecognizer::Recognize(std::span<const std::uint8_t> picture) {
    // Tesseract reads every pixel: pictures are decoded whole. Its own copies of the
    // page (measured on a 50-megapixel picture) take about this much beside it.
    constexpr double kEngineBytesPerPixel = 7;
    PixPtr pix = DecodePicture(picture, {kEngineBytesPerPixel, 0, PictureMemoryLimit()}).pix;
    const double scale = UpscaleFactor(pix.get());
    if (scale > 1.0) {
        PixPtr scaled(pixScale(pix.get(), static_cast<float>(scale), static_cast<float>(scale)));
        if (!scaled)
            throw std::runtime_error("The picture could not be enlarged for recognition");
        pix = std::move(scaled);
    }

    CheckDeadline();

    api_->SetImage(pix.get());
    api_->SetSourceResolution(300);
    // Tesseract asks before each word whether to go on; past the deadline it stops
    // and returns what it has, which is then refused as late.
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = [](void*, int) { return DeadlinePassed(); };
    const bool failed = api_->Recognize(&monitor) != 0;
    if (failed || DeadlinePassed()) {
        api_->Clear();
        CheckDeadline();
        throw std::runtime_error("Tesseract could not recognise the picture");
    }

    std::vector<RecognizedLine> lines;
    std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
    if (it && !it->Empty(tesseract::RIL_SYMBOL)) {
        LineBuilder line;
        do {
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
                line.Finish(lines);
                int left = 0, top = 0, right = 0, bottom = 0;
                it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom);
                line.Start(left, top, right, bottom, scale);
            }
            std::unique_ptr<char, TextFree> text(it->GetUTF8Text(tesseract::RIL_SYMBOL));
            line.AddSymbol(text.get(), it->IsAtBeginningOf(tesseract::RIL_WORD),
                           it->Confidence(tesseract::RIL_SYMBOL));
        } while (it->Next(tesseract::RIL_SYMBOL));
        line.Finish(lines);
    }
    it.reset();
    api_->Clear();
    return lines;
}

}  // namespace ocrgated
