// Pages with seals stamped over their text against the same pages without: the character
// error rate of each, read by the PP-OCR engine. Prints
// `ratio sealed_vs_clean_cer=<error on the sealed pages / error on the clean ones>`.

#include "character_error_rate.h"
#include "sealed_pages.h"
#include "service/engines/cores.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"

#include <cstdio>

int main(int, char** argv) {
    ocrgated::LimitOpenMp(argv, 1);
    const auto models = ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory());
    ocrgated::ppocr::PpOcrRecognizer engine(models);
    quillory::testing::ErrorCount clean_errors, sealed_errors;
    for (const auto& page : quillory::testing::RenderSealedSet()) {
        const auto read = [&](const std::vector<std::uint8_t>& png) {
            std::vector<std::string> lines;
            for (const auto& line : engine.Recognize(png))
                lines.push_back(line.words);
            return lines;
        };
        const auto clean_lines = read(page.clean), sealed_lines = read(page.sealed);
        quillory::testing::ErrorCount clean, sealed;
        clean.Add(page.lines, clean_lines);
        sealed.Add(page.lines, sealed_lines);
        clean_errors.Add(page.lines, clean_lines);
        sealed_errors.Add(page.lines, sealed_lines);
        std::printf("  %-32s error %.4f sealed, %.4f clean\n", page.kind.c_str(), sealed.Rate(),
                    clean.Rate());
    }
    // Both without error is as good as it gets: a ratio of one.
    const double ratio = clean_errors.Rate() > 0 ? sealed_errors.Rate() / clean_errors.Rate()
                                                 : (sealed_errors.Rate() > 0 ? 99.0 : 1.0);
    std::printf("ratio sealed_vs_clean_cer=%.3f\n", ratio);
}
