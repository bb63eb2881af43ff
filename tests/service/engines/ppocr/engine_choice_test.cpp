// ocrgated's choice of engine: PP-OCR by default, Tesseract with a warning
// when the PP-OCR models cannot be used.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "service/engines/factory/engine_factory.h"
#include "service/engines/ppocr/pp_ocr_models.h"

namespace ocrgated {
namespace {

TEST(EngineChoice, PpOcrWhenItsModelsAreUsableElseTesseractWithAWarning) {
    const std::string models = ppocr::DefaultModelDirectory();
    if (!std::filesystem::exists(std::filesystem::path(models) / "stamp"))
        GTEST_SKIP() << "PP-OCR models could not be obtained (no " << models << "/stamp)";
    const struct {
        std::string models, engine, name;
        bool warns;
    } cases[] = {
        {models, "", "ppocr", false},
        {models, "ppocr", "ppocr", false},
        {models, "tesseract", "tesseract", false},
        {"/nonexistent/models", "", "tesseract", true},
        {"/nonexistent/models", "ppocr", "tesseract", true},
        {"/nonexistent/models", "tesseract", "tesseract", false},
    };
    for (const auto& c : cases) {
        setenv("QUILLORY_PPOCR_MODELS", c.models.c_str(), 1);
        std::string warning;
        const auto engine = ChooseEngine(c.engine, {}, warning)();
        EXPECT_EQ(engine->Name().substr(0, c.name.size()), c.name) << c.models << " " << c.engine;
        EXPECT_EQ(!warning.empty(), c.warns) << warning;
        if (c.warns) {
            EXPECT_NE(warning.find("using the tesseract engine"), std::string::npos) << warning;
        }
    }
    unsetenv("QUILLORY_PPOCR_MODELS");
    std::string warning;
    EXPECT_THROW(ChooseEngine("magic", {}, warning), std::invalid_argument);
}

}  // namespace
}  // namespace ocrgated
