// Both engines read the rendered test set; the PP-OCR engine must stay under
// 2% character errors overall and never do worse than Tesseract on a style. On the
// hard set (turned pages, columns, thin lines…) it must read every kind, in order.

#include "character_error_rate.h"
#include "engine_fixture.h"
#include "hard_pictures.h"
#include "rendered_pictures.h"
#include "service/tesseract_recognizer.h"

#include <cstdio>
#include <map>

namespace quillory::testing {
namespace {

std::vector<std::string> Words(const std::vector<ocrgated::RecognizedLine>& lines) {
    std::vector<std::string> words;
    for (const auto& line : lines)
        words.push_back(line.words);
    return words;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : " | ") + line;
    return text;
}

TEST(PpOcrAccuracy, BeatsTesseractOnEveryStyle) {
    QUILLORY_REQUIRE_PPOCR(ppocr);
    ocrgated::TesseractRecognizer tesseract("chi_sim+eng");
    std::map<std::string, ErrorCount> ppocr_by_style, tesseract_by_style;
    ErrorCount ppocr_total, tesseract_total;
    for (const auto& picture : RenderTestSet()) {
        const auto ppocr_read = Words(ppocr->Recognize(picture.png));
        const auto tesseract_read = Words(tesseract.Recognize(picture.png));
        ppocr_by_style[picture.style].Add(picture.lines, ppocr_read);
        tesseract_by_style[picture.style].Add(picture.lines, tesseract_read);
        ppocr_total.Add(picture.lines, ppocr_read);
        tesseract_total.Add(picture.lines, tesseract_read);
        std::printf("  %-20s ppocr:     %s\n  %-20s tesseract: %s\n", picture.style.c_str(),
                    Joined(ppocr_read).c_str(), "", Joined(tesseract_read).c_str());
    }
    std::printf("%-20s %8s %10s\n", "style", "ppocr", "tesseract");
    for (const auto& [style, count] : ppocr_by_style) {
        std::printf("%-20s %7.2f%% %9.2f%%\n", style.c_str(), 100 * count.Rate(),
                    100 * tesseract_by_style[style].Rate());
        EXPECT_LE(count.Rate(), tesseract_by_style[style].Rate()) << style;
    }
    std::printf("%-20s %7.2f%% %9.2f%%\n", "overall", 100 * ppocr_total.Rate(),
                100 * tesseract_total.Rate());
    EXPECT_LE(ppocr_total.Rate(), 0.02);
}

TEST(PpOcrAccuracy, ReadsEveryKindOfHardPictureInOrder) {
    QUILLORY_REQUIRE_PPOCR(ppocr);
    std::map<std::string, ErrorCount> by_kind;
    ErrorCount total;
    for (const auto& picture : RenderHardSet()) {
        const auto read = Words(ppocr->Recognize(picture.png));
        by_kind[picture.style].Add(picture.lines, read);
        total.Add(picture.lines, read);
        std::printf("  %-20s %s\n", picture.style.c_str(), Joined(read).c_str());
    }
    for (const auto& [kind, count] : by_kind)
        EXPECT_LE(count.Rate(), 0.02) << kind;
    EXPECT_LE(total.Rate(), 0.01);
}

}  // namespace
}  // namespace quillory::testing
