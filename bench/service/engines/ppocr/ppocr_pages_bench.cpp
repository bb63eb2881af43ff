// Real pages of published documents (papers in two columns, pages in three, reports,
// Chinese reports and pages in columns) read by the PP-OCR engine beside the tesseract
// command line with its own page layout analysis (`--psm 3`; English pages in `eng`,
// Chinese ones in `chi_sim+eng`): the character error rate in reading order per kind, and
// the time of both. Each page's reading is printed to be looked at. Prints
// `ratio real_pages_cer_vs_tesseract=<mean of kinds, ours / the command line's>` and
// `ratio real_pages_time_vs_tesseract=<ours / the command line's>`, and both again against
// Tesseract's library in process (`..._in_process`), which reads these pages better than
// its command line (our Tesseract engine's settings) and loads no models per page.
// `ppocr_pages_bench NAME` reads the pages whose name holds NAME only, and prints their
// whole reading.

#include "character_error_rate.h"
#include "real_sets.h"
#include "service/common/memory.h"
#include "service/engines/cores.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "service/engines/tesseract/tesseract_recognizer.h"
#include "tesseract_cli.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

namespace {

struct Reading {
    std::vector<std::string> lines;
    double seconds = 0;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Reading Read(ocrgated::Recognizer& engine, const std::vector<std::uint8_t>& png) {
    const auto start = std::chrono::steady_clock::now();
    Reading reading;
    for (const auto& line : engine.Recognize(png))
        reading.lines.push_back(line.words);
    reading.seconds = SecondsSince(start);
    return reading;
}

Reading ReadCli(const std::vector<std::uint8_t>& png, const std::string& languages) {
    const auto start = std::chrono::steady_clock::now();
    Reading reading{bench::TesseractCli(png, "--psm 3 -l " + languages), 0};
    reading.seconds = SecondsSince(start);
    return reading;
}

// Ours, the command line's and the library's: errors per kind and time.
constexpr int kReaders = 3;
const char* const kReaderNames[kReaders] = {"ours", "tesseract", "in process"};

struct Tally {
    quillory::testing::ErrorCount errors[kReaders];
    int pages = 0;
};

}  // namespace

int main(int argc, char** argv) {
    ocrgated::LimitOpenMp(argv, 1);
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    ocrgated::ppocr::PpOcrRecognizer ours(
        ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory()));
    ocrgated::TesseractRecognizer english("eng"), chinese("chi_sim+eng");

    std::map<std::string, Tally> kinds;
    double seconds[kReaders] = {};
    for (const auto& page : quillory::testing::LoadRealPages()) {
        if (argc > 1 && page.kind.find(argv[1]) == std::string::npos)
            continue;
        const std::string kind = page.kind.substr(0, page.kind.find('/'));
        const bool zh = kind.starts_with("zh");
        const Reading readings[kReaders] = {Read(ours, page.png),
                                            ReadCli(page.png, zh ? "chi_sim+eng" : "eng"),
                                            Read(zh ? chinese : english, page.png)};
        Tally& tally = kinds[kind];
        ++tally.pages;
        std::printf("  %-40s", page.kind.c_str());
        for (int r = 0; r < kReaders; ++r) {
            quillory::testing::ErrorCount errors;
            errors.Add(page.lines, readings[r].lines);
            tally.errors[r].Add(page.lines, readings[r].lines);
            seconds[r] += readings[r].seconds;
            std::printf("  %s %6.2f%% %5.2f s", kReaderNames[r], 100 * errors.Rate(),
                        readings[r].seconds);
        }
        // The whole reading when pages were picked, its start otherwise.
        std::printf("\n    %.*s\n", argc > 1 ? 1 << 20 : 400,
                    quillory::testing::Joined(readings[0].lines).c_str());
    }
    if (kinds.empty())
        return 0;
    double means[kReaders] = {};
    for (const auto& [kind, tally] : kinds) {
        std::printf("%-12s %2d pages", kind.c_str(), tally.pages);
        for (int r = 0; r < kReaders; ++r) {
            std::printf("  %s %6.2f%%", kReaderNames[r], 100 * tally.errors[r].Rate());
            means[r] += tally.errors[r].Rate() / double(kinds.size());
        }
        std::printf("\n");
    }
    std::printf(
        "real_pages_cer=%.4f tesseract_real_pages_cer=%.4f in process %.4f (mean of kinds)\n",
        means[0], means[1], means[2]);
    std::printf("ratio real_pages_cer_vs_tesseract=%.3f\n", means[0] / std::max(means[1], 1e-9));
    std::printf("ratio real_pages_cer_vs_tesseract_in_process=%.3f\n",
                means[0] / std::max(means[2], 1e-9));
    std::printf("ratio real_pages_time_vs_tesseract=%.3f\n", seconds[0] / seconds[1]);
    std::printf("ratio real_pages_time_vs_tesseract_in_process=%.3f\n", seconds[0] / seconds[2]);
}
