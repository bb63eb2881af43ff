// Time to read a rendered 1000 x 300 two-line picture: the PP-OCR engine
// against Tesseract in process, each with every core as a lone ocrgated worker has
// them. Also prints the resident memory with the PP-OCR engine loaded and warmed up.

#include "rendered_pictures.h"
#include "service/engines/cores.h"
#include "service/common/memory.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "service/engines/tesseract/tesseract_recognizer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "support/median.h"

namespace {

double MedianSeconds(ocrgated::Recognizer& engine, const std::vector<std::uint8_t>& picture,
                     int runs) {
    engine.Recognize(picture);  // warm-up: lazy network loads, caches
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const auto lines = engine.Recognize(picture);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (lines.empty())
            std::printf("  %s read nothing\n", engine.Name().c_str());
    }
    return quillory::testing::Median(seconds);
}

long ResidentKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int, char** argv) {
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    ocrgated::LimitOpenMp(argv, 1);
    const auto picture = quillory::testing::RenderBenchPicture();
    const long before = ResidentKib();
    ocrgated::ppocr::PpOcrRecognizer ppocr(
        ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory()));
    const double ppocr_seconds = MedianSeconds(ppocr, picture.png, 5);
    const long with_ppocr = ResidentKib();
    for (const auto& line : ppocr.Recognize(picture.png))
        std::printf("  ppocr: %s\n", line.words.c_str());

    ocrgated::TesseractRecognizer tesseract("chi_sim+eng");
    const double tesseract_seconds = MedianSeconds(tesseract, picture.png, 5);
    for (const auto& line : tesseract.Recognize(picture.png))
        std::printf("  tesseract: %s\n", line.words.c_str());

    std::printf("ppocr %.3f s, tesseract %.3f s (median of 5)\n", ppocr_seconds, tesseract_seconds);
    std::printf(
        "resident memory: %.1f MiB before the engine, %.1f MiB with the PP-OCR engine loaded\n",
        static_cast<double>(before) / 1024, static_cast<double>(with_ppocr) / 1024);
    std::printf("ratio ppocr_vs_tesseract_time=%.3f\n", ppocr_seconds / tesseract_seconds);
}
