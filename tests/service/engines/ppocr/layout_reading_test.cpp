// Pages laid out as documents read in the order people read them, in their paragraphs.
#include "character_error_rate.h"
#include "engine_fixture.h"
#include "layout_pages.h"
#include "real_sets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillory::testing {
namespace {

TEST(PpOcrLayout, ReadsEveryKindOfPageInReadingOrder) {
    QUILLORY_REQUIRE_PPOCR(engine);
    for (const LayoutPage& page : RenderLayoutSet()) {
        const auto lines = engine->Recognize(page.png);
        std::vector<std::string> read;
        std::size_t paragraphs = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            read.push_back(lines[i].words);
            paragraphs += i == 0 || lines[i].paragraph != lines[i - 1].paragraph;
        }
        ErrorCount errors;
        errors.Add(page.lines, read);
        EXPECT_LE(errors.Rate(), 0.01) << page.kind << ": " << Joined(read);
        EXPECT_EQ(paragraphs, page.paragraphs) << page.kind << ": " << Joined(read);
    }
}

// Real pages set in columns with gutters narrower than a line's height, which the detector
// runs lines over (the benchmark scores the whole set), and a large page of small print that
// the detector first sees with its text 5 px tall: every line must come back. One test per
// page, each under its own time limit (they are slow under ASan).
struct PageBound {
    const char* name;
    double bound;
};

class PpOcrPages : public ::testing::TestWithParam<PageBound> {};

TEST_P(PpOcrPages, ReadInOrder) {
    QUILLORY_REQUIRE_PPOCR(engine);
    const auto [name, bound] = GetParam();
    std::vector<LayoutPage> pages;
    if (std::string(name) == "dense-5250x6280")
        pages.push_back(RenderDensePage());
    else
        std::erase_if(pages = LoadRealPages(), [&](const LayoutPage& p) {
            return !p.kind.ends_with(std::string("/") + name);
        });
    ASSERT_EQ(pages.size(), 1u) << name;
    std::vector<std::string> read;
    for (const auto& line : engine->Recognize(pages.front().png))
        read.push_back(line.words);
    ErrorCount errors;
    errors.Add(pages.front().lines, read);
    EXPECT_LE(errors.Rate(), bound) << name << ": " << Joined(read);
}

INSTANTIATE_TEST_SUITE_P(
    RealAndLarge, PpOcrPages,
    ::testing::Values(PageBound{"01-paper-2col-s2orc-pipeline", 0.02},  // page number in gutter
                      PageBound{"06-paper-2col-lorem-narrow-gutter", 0.02},  // all lines joined
                      PageBound{"07-multi-col-federal-register-p1", 0.03},   // three columns
                      // Amounts beside their items, the roll's pre-printed notes unread.
                      PageBound{"24-receipt-scan-lidl", 0.2}, PageBound{"dense-5250x6280", 0.01}));

}  // namespace
}  // namespace quillory::testing
