// Character error rates on the hard set (thin lines, turned pages, columns, transparency…):
// the PP-OCR engine in process against the tesseract command line as a user runs it.
// Prints `ratio ppocr_hard_cer=<rate>` and `ratio ppocr_hard_vs_tesseract=<ours / theirs>`.

#include "character_error_rate.h"
#include "hard_pictures.h"
#include "service/common/memory.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "tesseract_cli.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

// With a folder argument, each picture is also written there to be looked at.
int main(int argc, char** argv) {
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    ocrgated::ppocr::PpOcrRecognizer ppocr(
        ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory()));
    quillory::testing::ErrorCount ours_total, theirs_total;
    std::map<std::string, std::pair<quillory::testing::ErrorCount, quillory::testing::ErrorCount>>
        by_kind;
    for (const auto& picture : quillory::testing::RenderHardSet()) {
        if (argc > 1)
            std::ofstream(std::string(argv[1]) + "/" + picture.style + ".img", std::ios::binary)
                .write(reinterpret_cast<const char*>(picture.png.data()),
                       static_cast<std::streamsize>(picture.png.size()));
        std::vector<std::string> ours;
        for (const auto& line : ppocr.Recognize(picture.png))
            ours.push_back(line.words);
        const auto theirs = bench::TesseractCli(picture.png, "-l chi_sim+eng");
        by_kind[picture.style].first.Add(picture.lines, ours);
        by_kind[picture.style].second.Add(picture.lines, theirs);
        ours_total.Add(picture.lines, ours);
        theirs_total.Add(picture.lines, theirs);
        std::printf("  %-20s ppocr:     %s\n  %-20s tesseract: %s\n", picture.style.c_str(),
                    quillory::testing::Joined(ours).c_str(), "",
                    quillory::testing::Joined(theirs).c_str());
    }
    std::printf("%-22s %8s %10s\n", "kind", "ppocr", "tesseract");
    for (const auto& [kind, counts] : by_kind)
        std::printf("%-22s %7.2f%% %9.2f%%\n", kind.c_str(), 100 * counts.first.Rate(),
                    100 * counts.second.Rate());
    std::printf("%-22s %7.2f%% %9.2f%%\n", "overall", 100 * ours_total.Rate(),
                100 * theirs_total.Rate());
    std::printf("ratio ppocr_hard_cer=%.4f\n", ours_total.Rate());
    std::printf("ratio ppocr_hard_vs_tesseract=%.3f\n",
                ours_total.Rate() / std::max(theirs_total.Rate(), 1e-9));
}
