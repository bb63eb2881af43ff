// What looking for QR codes and barcodes costs a page read by the PP-OCR engine, as the
// recognition pool does it for the SOAP face: the same pages read with and without the code
// search. Prints `ratio codes_vs_text_time=<with / without>`.

#include "engine_timing.h"
#include "layout_pages.h"
#include "service/codes/code_finder.h"
#include "service/common/memory.h"
#include "service/engines/cores.h"

#include <cstdio>

int main(int, char** argv) {
    ocrgated::LimitOpenMp(argv, 1);
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    const auto models = ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory());
    ocrgated::ppocr::PpOcrRecognizer engine(models);
    double with_codes = 0, text_only = 0;
    for (const auto& page : quillory::testing::RenderLayoutSet()) {
        engine.ReadPage(page.png);  // warm-up
        std::vector<double> with, without;
        for (int run = 0; run < 3; ++run) {
            without.push_back(bench::SecondsToRead(engine, page.png));
            const auto start = std::chrono::steady_clock::now();
            engine.ReadPage(page.png);
            const auto codes = ocrgated::FindCodes(page.png);
            with.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (!codes.empty())
                std::printf("  %s: a code where there is none: %s\n", page.kind.c_str(),
                            codes.front().text.c_str());
        }
        with_codes += bench::Median(with);
        text_only += bench::Median(without);
        std::printf("  %-24s %.3f s with codes, %.3f s without\n", page.kind.c_str(),
                    bench::Median(with), bench::Median(without));
    }
    std::printf("ratio codes_vs_text_time=%.3f\n", with_codes / text_only);
}
