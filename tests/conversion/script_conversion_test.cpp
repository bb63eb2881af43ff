#include "conversion/script_conversion.h"

#include <gtest/gtest.h>

#include "base/exception.h"

namespace {

// One character has several counterparts: the phrase decides (头发 is hair, not 頭發), and
// each region's standard its own form (裏 against 裡, 臺 against 台).
TEST(ScriptConversion, EachConversionByPhraseAndRegion) {
    const struct {
        const char* name;
        std::string from, to;
    } cases[] = {
        {"s2t", "头发后来在里面，台湾", "頭髮後來在裏面，臺灣"},
        {"s2tw", "头发后来在里面，台湾", "頭髮後來在裡面，臺灣"},
        {"s2hk", "头发后来在里面，台湾", "頭髮後來在裏面，台灣"},
        {"t2s", "頭髮後來在裡面，臺灣", "头发后来在里面，台湾"},
        {"tw2s", "頭髮後來在裡面，臺灣", "头发后来在里面，台湾"},
        {"hk2s", "頭髮後來在裏面，台灣", "头发后来在里面，台湾"},
        {"s2t", "OCR 2026: page 3 (A4)", "OCR 2026: page 3 (A4)"},
        {"s2t", "", ""},
    };
    for (const auto& c : cases) {
        const conversion::ScriptConverter converter(c.name);
        EXPECT_EQ(converter.Convert(c.from), c.to) << c.name << " " << c.from;
    }
    EXPECT_EQ(conversion::ScriptConverter("s2t").Convert(std::u16string_view(u"识别文字")),
              u"識別文字");
    EXPECT_EQ(conversion::ConversionNames().size(), 6u);
    EXPECT_THROW(conversion::ScriptConverter("s2x"), quillory::Exception);
}

}  // namespace
