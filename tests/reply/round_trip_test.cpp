// The text form reads back to itself: for well-formed JSON made of the eight kinds,
// AsText(ParseReply(AsText(v))) == AsText(v).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "reply/reply.h"
#include "base/utf.h"

namespace reply {
namespace {

// Random well-formed JSON, standard syntax only, as UTF-16.
class JsonGenerator {
  public:
    explicit JsonGenerator(std::uint32_t seed) : random_(seed) {}

    std::u16string Document() {
        std::u16string out;
        if (Pick(2) == 0) {
            Array(out, 0);
        } else {
            Object(out, 0);
        }
        return out;
    }

  private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    void Value(std::u16string& out, int level) {
        const bool may_nest = level < 30;
        switch (Pick(may_nest ? 10 : 7)) {
            case 0:
                out += u"null";
                break;
            case 1:
                out += Pick(2) ? u"true" : u"false";
                break;
            case 2:
                Integer(out);
                break;
            case 3:
                FixedPoint(out);
                break;
            case 4:
                Floating(out);
                break;
            case 5:
            case 6:
                String(out);
                break;
            case 7:
            case 8:
                Array(out, level);
                break;
            default:
                Object(out, level);
                break;
        }
    }

    void Integer(std::u16string& out) {
        std::int64_t value = std::int64_t(random_()) >> Pick(63);
        out += quillory::Utf8ToUtf16(std::to_string(value));
    }

    void FixedPoint(std::u16string& out) {
        std::string text = std::to_string(std::int64_t(random_() >> Pick(64)) % 100000000000000LL);
        if (Pick(3) == 0)
            text.insert(0, "-");
        text += "." + std::to_string(Pick(10000)).substr(0, std::size_t(1 + Pick(4)));
        out += quillory::Utf8ToUtf16(text);
    }

    void Floating(std::u16string& out) {
        // Mantissas with up to 17 digits and exponents that stay well inside a double.
        double mantissa = std::uniform_real_distribution<double>(-10.0, 10.0)(random_);
        int exponent = Pick(600) - 300;
        char text[64];
        std::snprintf(text, sizeof text, Pick(2) ? "%.*ge%d" : "%.*gE%d", 1 + Pick(17), mantissa,
                      exponent);
        out += quillory::Utf8ToUtf16(text);
    }

    void String(std::u16string& out) {
        static constexpr char16_t kUnits[] = u"aZ 0\"\\/'文中\u00e9\u00ff\u0100\uFEFF\xD800\xDC00";
        out += u'"';
        for (int i = Pick(12); i > 0; --i) {
            int choice = Pick(int(std::size(kUnits)) + 3);
            if (choice < int(std::size(kUnits)) - 1) {
                char16_t c = kUnits[choice];
                if (c == u'"' || c == u'\\')
                    out += u'\\';
                out += c;
            } else {
                // A control character or U+0000, written as an escape.
                static constexpr const char16_t* kEscapes[] = {u"\\u0000", u"\\n", u"\\t",
                                                               u"\\u001f", u"\\b"};
                out += kEscapes[Pick(5)];
            }
        }
        out += u'"';
    }

    void Array(std::u16string& out, int level) {
        out += u'[';
        for (int i = Pick(5); i > 0; --i) {
            Value(out, level + 1);
            if (i > 1)
                out += u',';
        }
        out += u']';
    }

    void Object(std::u16string& out, int level) {
        out += u'{';
        for (int i = Pick(5); i > 0; --i) {
            if (Pick(4) == 0) {
                out += u"\"words\"";  // names repeat now and then
            } else {
                String(out);
            }
            out += u':';
            Value(out, level + 1);
            if (i > 1)
                out += u',';
        }
        out += u'}';
    }

    std::mt19937 random_;
};

TEST(RoundTrip, TextFormReadsBackToItself) {
    JsonGenerator generator(20240611);
    int nested = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::u16string json = generator.Document();
        SCOPED_TRACE(quillory::Utf16ToUtf8(json));
        ReplyPtr value = ParseReply(json);
        ASSERT_TRUE(value);
        const std::u16string text = AsText(value);
        ReplyPtr again = ParseReply(text);
        ASSERT_TRUE(again);
        ASSERT_EQ(AsText(again), text);
        if (text.size() > 40)
            ++nested;
    }
    EXPECT_GT(nested, 1000);  // the generator made real documents, not just "[]"
}

TEST(RoundTrip, ScalarsAtTheTop) {
    for (const char16_t* json : {u"null", u"true", u"false", u"-12", u"0.5", u"-7.25", u"1.5e300",
                                 u"-2.5E-300", u"123456789.123456", u"4.9e-324"}) {
        SCOPED_TRACE(quillory::Utf16ToUtf8(json));
        const std::u16string text = AsText(ParseReply(json));
        EXPECT_EQ(AsText(ParseReply(text)), text);
    }
}

}  // namespace
}  // namespace reply
