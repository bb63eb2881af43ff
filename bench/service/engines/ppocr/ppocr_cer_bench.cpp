// Character error rates on the rendered test set: the PP-OCR engine against
// Tesseract in process.

#include "character_error_rate.h"
#include "rendered_pictures.h"
#include "service/common/memory.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "service/engines/tesseract/tesseract_recognizer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

std::vector<std::string> Words(const std::vector<ocrgated::RecognizedLine>& lines) {
    std::vector<std::string> words;
    for (const auto& line : lines)
        words.push_back(line.words);
    return words;
}

}  // namespace

int main() {
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    ocrgated::ppocr::PpOcrRecognizer ppocr(
        ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory()));
    ocrgated::TesseractRecognizer tesseract("chi_sim+eng");
    quillory::testing::ErrorCount ppocr_errors, tesseract_errors;
    const auto set = quillory::testing::RenderTestSet();
    ppocr.Recognize(set.front().png);  // warm-up: lazy network loads
    double ppocr_seconds = 0;
    for (const auto& picture : set) {
        const auto start = std::chrono::steady_clock::now();
        const auto ppocr_read = Words(ppocr.Recognize(picture.png));
        ppocr_seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto tesseract_read = Words(tesseract.Recognize(picture.png));
        quillory::testing::ErrorCount p, t;
        p.Add(picture.lines, ppocr_read);
        t.Add(picture.lines, tesseract_read);
        std::printf("%-20s ppocr %6.2f%%  tesseract %6.2f%%\n", picture.style.c_str(),
                    100 * p.Rate(), 100 * t.Rate());
        ppocr_errors.Add(picture.lines, ppocr_read);
        tesseract_errors.Add(picture.lines, tesseract_read);
    }
    std::printf("overall: ppocr %.2f%% (%zu of %zu), tesseract %.2f%% (%zu of %zu)\n",
                100 * ppocr_errors.Rate(), ppocr_errors.edits, ppocr_errors.reference,
                100 * tesseract_errors.Rate(), tesseract_errors.edits, tesseract_errors.reference);
    std::printf("ppocr: %.0f ms per picture\n", 1000 * ppocr_seconds / set.size());
    // Guard the ratio against a perfect peer.
    const double peer = std::max(tesseract_errors.Rate(), 1e-9);
    std::printf("ratio ppocr_vs_tesseract_cer=%.3f\n", ppocr_errors.Rate() / peer);
}
