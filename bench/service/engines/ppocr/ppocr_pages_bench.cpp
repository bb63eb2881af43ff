// Real pages of published documents (papers in two columns, pages in three, reports,
// Chinese reports and pages in columns) read by the PP-OCR engine beside Tesseract's own
// page layout analysis (`--psm 3`, our Tesseract engine's mode; English pages in `eng`,
// Chinese ones in `chi_sim+eng`): the character error rate in reading order per kind, and
// the time of both. Each page's reading is printed to be looked at. Prints
// `ratio real_pages_cer_vs_tesseract=<mean of kinds, ours / Tesseract's>` and
// `ratio real_pages_time_vs_tesseract=<ours / Tesseract's>`. `ppocr_pages_bench NAME` reads
// the pages whose name holds NAME only, and prints their whole reading.

#include "character_error_rate.h"
#include "real_sets.h"
#include "service/common/memory.h"
#include "service/engines/cores.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "service/engines/tesseract/tesseract_recognizer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

namespace {

struct Reading {
    std::vector<std::string> lines;
    double seconds = 0;
};

Reading Read(ocrgated::Recognizer& engine, const std::vector<std::uint8_t>& png) {
    const auto start = std::chrono::steady_clock::now();
    Reading reading;
    for (const auto& line : engine.Recognize(png))
        reading.lines.push_back(line.words);
    reading.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return reading;
}

struct Tally {
    quillory::testing::ErrorCount ours, tesseract;
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
    double our_time = 0, tesseract_time = 0;
    for (const auto& page : quillory::testing::LoadRealPages()) {
        if (argc > 1 && page.kind.find(argv[1]) == std::string::npos)
            continue;
        const std::string kind = page.kind.substr(0, page.kind.find('/'));
        const Reading mine = Read(ours, page.png);
        const Reading peer = Read(kind.starts_with("zh") ? chinese : english, page.png);
        quillory::testing::ErrorCount errors, peer_errors;
        errors.Add(page.lines, mine.lines);
        peer_errors.Add(page.lines, peer.lines);
        Tally& tally = kinds[kind];
        tally.ours.Add(page.lines, mine.lines);
        tally.tesseract.Add(page.lines, peer.lines);
        ++tally.pages;
        our_time += mine.seconds;
        tesseract_time += peer.seconds;
        // The whole reading when pages were picked, its start otherwise.
        std::printf("  %-40s %6.2f%% (tesseract %6.2f%%)  %6.2f s / %6.2f s\n    %.*s\n",
                    page.kind.c_str(), 100 * errors.Rate(), 100 * peer_errors.Rate(), mine.seconds,
                    peer.seconds, argc > 1 ? 1 << 20 : 400,
                    quillory::testing::Joined(mine.lines).c_str());
    }
    double our_mean = 0, peer_mean = 0;
    for (const auto& [kind, tally] : kinds) {
        std::printf("%-12s %2d pages  ours %6.2f%%  tesseract %6.2f%%\n", kind.c_str(), tally.pages,
                    100 * tally.ours.Rate(), 100 * tally.tesseract.Rate());
        our_mean += tally.ours.Rate() / double(kinds.size());
        peer_mean += tally.tesseract.Rate() / double(kinds.size());
    }
    if (kinds.empty())
        return 0;
    std::printf("real_pages_cer=%.4f tesseract_real_pages_cer=%.4f (mean of kinds)\n", our_mean,
                peer_mean);
    std::printf("ratio real_pages_cer_vs_tesseract=%.3f\n", our_mean / std::max(peer_mean, 1e-9));
    std::printf("ratio real_pages_time_vs_tesseract=%.3f\n", our_time / tesseract_time);
}
