// The layout set (columns, a title over them, a sidebar behind a rule, poem columns, a
// mixed page, a plain one) read by the PP-OCR engine: the character error rate in reading
// order, and what the layout stage costs a page; Tesseract's own page layout analysis
// (`--psm 3`, our Tesseract engine's mode) reads the same pages as the peer. Prints
// `ratio ppocr_layout_cer=<rate>`, `ratio layout_cer_vs_tesseract_psm3=<ours / Tesseract's>`
// and `ratio layout_vs_lines_time=<with / without the stage>`.

#include "character_error_rate.h"
#include "engine_timing.h"
#include "layout_pages.h"
#include "service/common/memory.h"
#include "service/engines/cores.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "service/engines/tesseract/tesseract_recognizer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

int main(int, char** argv) {
    ocrgated::LimitOpenMp(argv, 1);
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    const auto models = ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory());
    ocrgated::ppocr::PpOcrRecognizer laid_out(models);
    ocrgated::ppocr::PpOcrOptions lines_only;
    lines_only.layout.enabled = false;
    ocrgated::ppocr::PpOcrRecognizer lines(models, lines_only);

    ocrgated::TesseractRecognizer tesseract("chi_sim+eng");

    quillory::testing::ErrorCount total, tesseract_total;
    double with_stage = 0, without_stage = 0;
    for (const auto& page : quillory::testing::RenderLayoutSet()) {
        std::vector<std::string> read;
        for (const auto& line : laid_out.Recognize(page.png))
            read.push_back(line.words);
        quillory::testing::ErrorCount errors;
        errors.Add(page.lines, read);
        total.Add(page.lines, read);
        std::vector<std::string> peer;
        for (const auto& line : tesseract.Recognize(page.png))
            peer.push_back(line.words);
        quillory::testing::ErrorCount peer_errors;
        peer_errors.Add(page.lines, peer);
        tesseract_total.Add(page.lines, peer);
        lines.Recognize(page.png);  // warm-up for the engine without the stage
        // Turn about, so that the machine's other load falls on both alike.
        std::vector<double> with, without;
        for (int run = 0; run < 7; ++run) {
            with.push_back(bench::SecondsToRead(laid_out, page.png));
            without.push_back(bench::SecondsToRead(lines, page.png));
        }
        with_stage += bench::Median(with);
        without_stage += bench::Median(without);
        std::printf("  %-26s %6.2f%% (tesseract %6.2f%%)  %.3f s / %.3f s  %s\n", page.kind.c_str(),
                    100 * errors.Rate(), 100 * peer_errors.Rate(), bench::Median(with),
                    bench::Median(without), quillory::testing::Joined(read).c_str());
    }
    std::printf("ratio ppocr_layout_cer=%.4f\n", total.Rate());
    std::printf("tesseract_psm3_layout_cer=%.4f\n", tesseract_total.Rate());
    std::printf("ratio layout_cer_vs_tesseract_psm3=%.3f\n",
                total.Rate() / std::max(tesseract_total.Rate(), 1e-9));
    std::printf("ratio layout_vs_lines_time=%.3f\n", with_stage / without_stage);
}
