// Both engines read the rendered test set; the PP-OCR engine must stay under
// 2% character errors overall and never do worse than Tesseract on a style. On the
// hard set (turned pages, columns, thin lines…) it must read every kind, in order, and
// place every character inside its line.

#include "character_error_rate.h"
#include "engine_fixture.h"
#include "hard_pictures.h"
#include "rendered_pictures.h"
#include "service/engines/tesseract/tesseract_recognizer.h"

#include <array>
#include <cstdio>
#include <map>

namespace quillory::testing {
namespace {

std::vector<std::string> Words(const std::vector<ocrgated::RecognizedLine>& lines) {
    std::vector<std::string> words;
    for (const auto& line : lines)
        words.push_back(line.words);
    return words;
}

// What is wrong with a line's character boxes: they must spell its words without
// spaces, lie inside the line, and follow each other the way its page reads.
std::string CharacterProblems(const ocrgated::RecognizedLine& line) {
    std::string spelled, expected, problems;
    for (char c : line.words)
        if (c != ' ')
            expected += c;
    const auto& chars = line.characters;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const auto& c = chars[i];
        spelled += c.text;
        if (c.left < line.left || c.top < line.top || c.left + c.width > line.left + line.width ||
            c.top + c.height > line.top + line.height)
            problems += " '" + c.text + "' outside the line;";
        if (i == 0 || line.page_direction < 0)
            continue;
        // Lines run along +x on an upright page; a page found turned d quarters
        // anticlockwise reads along that direction turned the same.
        constexpr std::array<std::pair<int, int>, 4> kReading{{{1, 0}, {0, -1}, {-1, 0}, {0, 1}}};
        const auto [dx, dy] = kReading[static_cast<std::size_t>(line.page_direction)];
        const auto& p = chars[i - 1];
        if ((2 * c.left + c.width - 2 * p.left - p.width) * dx +
                (2 * c.top + c.height - 2 * p.top - p.height) * dy <
            0)
            problems += " '" + c.text + "' out of order;";
    }
    if (spelled != expected)
        problems += " spells '" + spelled + "';";
    // The first character starts where the line does and the last ends where it ends,
    // within the line's thickness.
    if (!chars.empty() && line.page_direction >= 0) {
        const bool across = line.page_direction % 2 == 1;
        const int thickness = across ? line.width : line.height;
        const auto lo = [&](const auto& r) { return across ? r.top : r.left; };
        const auto hi = [&](const auto& r) {
            return across ? r.top + r.height : r.left + r.width;
        };
        const bool backwards = line.page_direction == 1 || line.page_direction == 2;
        const auto& first = backwards ? chars.back() : chars.front();
        const auto& last = backwards ? chars.front() : chars.back();
        if (std::abs(lo(first) - lo(line)) > thickness || std::abs(hi(last) - hi(line)) > thickness)
            problems += " characters do not span the line;";
    }
    return problems;
}

TEST(PpOcrAccuracy, BeatsTesseractOnEveryStyle) {
    QUILLORY_REQUIRE_PPOCR(ppocr);
    ocrgated::TesseractRecognizer tesseract("chi_sim+eng");
    std::map<std::string, ErrorCount> ppocr_by_style, tesseract_by_style;
    ErrorCount ppocr_total, tesseract_total;
    for (const auto& picture : RenderTestSet()) {
        const auto ppocr_read = Words(ppocr->Recognize(picture.png));
        const auto tesseract_read = Words(tesseract.Recognize(picture.png));
        ppocr_by_style[picture.style].Add(picture.lines, ppocr_read);
        tesseract_by_style[picture.style].Add(picture.lines, tesseract_read);
        ppocr_total.Add(picture.lines, ppocr_read);
        tesseract_total.Add(picture.lines, tesseract_read);
        std::printf("  %-20s ppocr:     %s\n  %-20s tesseract: %s\n", picture.style.c_str(),
                    Joined(ppocr_read).c_str(), "", Joined(tesseract_read).c_str());
    }
    std::printf("%-20s %8s %10s\n", "style", "ppocr", "tesseract");
    for (const auto& [style, count] : ppocr_by_style) {
        std::printf("%-20s %7.2f%% %9.2f%%\n", style.c_str(), 100 * count.Rate(),
                    100 * tesseract_by_style[style].Rate());
        EXPECT_LE(count.Rate(), tesseract_by_style[style].Rate()) << style;
    }
    std::printf("%-20s %7.2f%% %9.2f%%\n", "overall", 100 * ppocr_total.Rate(),
                100 * tesseract_total.Rate());
    EXPECT_LE(ppocr_total.Rate(), 0.02);
}

TEST(PpOcrAccuracy, ReadsEveryKindOfHardPictureInOrder) {
    QUILLORY_REQUIRE_PPOCR(ppocr);
    std::map<std::string, ErrorCount> by_kind;
    ErrorCount total;
    for (const auto& picture : RenderHardSet()) {
        const auto lines = ppocr->Recognize(picture.png);
        for (const auto& line : lines)
            EXPECT_EQ(CharacterProblems(line), "") << picture.style << ": " << line.words;
        const auto read = Words(lines);
        by_kind[picture.style].Add(picture.lines, read);
        total.Add(picture.lines, read);
        std::printf("  %-20s %s\n", picture.style.c_str(), Joined(read).c_str());
    }
    for (const auto& [kind, count] : by_kind)
        EXPECT_LE(count.Rate(), 0.02) << kind;
    EXPECT_LE(total.Rate(), 0.01);
}

}  // namespace
}  // namespace quillory::testing
