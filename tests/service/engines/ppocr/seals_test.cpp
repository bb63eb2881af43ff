// Seals over text: found where they are stamped and nowhere else, and the text under them
// read as it reads without them.

#include "character_error_rate.h"
#include "engine_fixture.h"
#include "sealed_pages.h"
#include "service/engines/ppocr/seal_removal.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

namespace quillory::testing {
namespace {

cv::Mat Decoded(const std::vector<std::uint8_t>& png) {
    return cv::imdecode(png, cv::IMREAD_COLOR);
}

TEST(PpOcrSeals, TheTextUnderASealReadsAsWithout) {
    QUILLORY_REQUIRE_PPOCR(engine);
    for (const SealedPage& page : RenderSealedSet()) {
        EXPECT_EQ(ocrgated::ppocr::FindSeals(Decoded(page.sealed)).size(), page.seals)
            << page.kind;
        EXPECT_TRUE(ocrgated::ppocr::FindSeals(Decoded(page.clean)).empty()) << page.kind;
        ErrorCount clean, sealed;
        std::vector<std::string> read;
        for (const auto& line : engine->Recognize(page.sealed))
            read.push_back(line.words);
        sealed.Add(page.lines, read);
        std::vector<std::string> read_clean;
        for (const auto& line : engine->Recognize(page.clean))
            read_clean.push_back(line.words);
        clean.Add(page.lines, read_clean);
        EXPECT_LE(sealed.Rate(), clean.Rate() + 0.02) << page.kind << ": " << Joined(read);
        // The seal's own ring, star and name are no lines of the page.
        for (const std::string& line : read)
            EXPECT_EQ(line.find("专用章"), std::string::npos) << page.kind << ": " << line;
    }
}

}  // namespace
}  // namespace quillory::testing
