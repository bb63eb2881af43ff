#include "service/engines/tesseract/tesseract_recognizer.h"

#include <allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "service/common/recognition_context.h"
#include "service/engines/tesseract/text_cleanup.h"
#include "service/engines/tesseract/text_size.h"
#include "service/pictures/picture_decoder.h"

namespace ocrgated {
namespace {

// Collects one line's text and character confidences as the iterator walks it.
class LineBuilder {
  public:
    void Start(int left, int top, int right, int bottom, double scale) {
        line_ = RecognizedLine{};
        scale_ = scale;
        line_.left = Back(left);
        line_.top = Back(top);
        line_.width = Back(right) - line_.left;
        line_.height = Back(bottom) - line_.top;
        confidences_.clear();
        open_ = true;
    }
    void AddSymbol(const char* text, bool starts_word, float confidence, int left, int top,
                   int right, int bottom) {
        if (!text || !*text)
            return;
        if (starts_word && !line_.words.empty())
            line_.words += ' ';
        line_.words += text;
        confidences_.push_back(std::clamp(confidence / 100.0, 0.0, 1.0));
        // Held inside the line, as a reader of the reply expects.
        const int x0 = std::clamp(Back(left), line_.left, line_.left + line_.width);
        const int y0 = std::clamp(Back(top), line_.top, line_.top + line_.height);
        const int x1 = std::clamp(Back(right), x0, line_.left + line_.width);
        const int y1 = std::clamp(Back(bottom), y0, line_.top + line_.height);
        line_.characters.push_back({text, x0, y0, x1 - x0, y1 - y0});
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
    int Back(int value) const { return static_cast<int>(std::lround(value / scale_)); }

    RecognizedLine line_;
    double scale_ = 1;
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
    std::vector<RecognizedLine> lines = ReadPage(pix.get(), scale);
    if (lines.empty()) {
        // The page's layout analysis can take a short line of Korean or Japanese for a
        // picture and find no text; read as one block of text, it reads.
        const struct Restore {
            tesseract::TessBaseAPI& api;
            ~Restore() { api.SetPageSegMode(tesseract::PSM_AUTO); }
        } restore{*api_};
        api_->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
        lines = ReadPage(pix.get(), scale);
    }
    return lines;
}

std::vector<RecognizedLine> TesseractRecognizer::ReadPage(Pix* pix, double scale) {
    api_->SetImage(pix);
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
            int left = 0, top = 0, right = 0, bottom = 0;
            it->BoundingBox(tesseract::RIL_SYMBOL, &left, &top, &right, &bottom);
            line.AddSymbol(text.get(), it->IsAtBeginningOf(tesseract::RIL_WORD),
                           it->Confidence(tesseract::RIL_SYMBOL), left, top, right, bottom);
        } while (it->Next(tesseract::RIL_SYMBOL));
        line.Finish(lines);
    }
    it.reset();
    api_->Clear();
    return lines;
}

}  // namespace ocrgated
