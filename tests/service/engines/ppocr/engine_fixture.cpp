#include "engine_fixture.h"

#include <filesystem>
#include <memory>

namespace quillory::testing {

ocrgated::ppocr::PpOcrRecognizer* SharedEngine(std::string& why_missing) {
    static std::unique_ptr<ocrgated::ppocr::PpOcrRecognizer> engine;
    static std::string reason;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const std::string dir = ocrgated::ppocr::DefaultModelDirectory();
        // fetch-models writes the stamp last: without it the package could
        // not be fetched (no network, no npm), which is a reason to skip.
        if (!std::filesystem::exists(std::filesystem::path(dir) / "stamp")) {
            reason = "PP-OCR models could not be obtained (no " + dir +
                     "/stamp); run scripts/fetch-models";
        } else {
            engine = std::make_unique<ocrgated::ppocr::PpOcrRecognizer>(
                ocrgated::ppocr::LoadPpOcrModels(dir));
        }
    }
    why_missing = reason;
    return engine.get();
}

}  // namespace quillory::testing
