// The Tesseract engine on pictures rendered here: accuracy on clean text in two
// fonts and sizes, reading order, and refusal of hostile or broken pictures.

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <memory>

#include <leptonica/allheaders.h>

#include "service/engines/tesseract/tesseract_recognizer.h"
#include "service/engines/tesseract/text_cleanup.h"
#include "service/pictures/picture_decoder.h"
#include "service/pictures/png_reader.h"
#include "support/render.h"

namespace ocrgated::testing {

using namespace testing_support;
namespace {

std::u32string Codepoints(const std::string& utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + k < utf8.size(); ++k)
            code = code << 6 | (utf8[i + k] & 0x3F);
        if (code != U' ')
            out += code;
        i += length;
    }
    return out;
}

// 1 - edit distance / expected length, over characters other than spaces.
double CharacterAccuracy(const std::string& expected, const std::string& got) {
    const auto a = Codepoints(expected), b = Codepoints(got);
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t next =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return 1.0 - double(row[b.size()]) / double(a.size());
}

class TesseractEngine : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { engine_ = std::make_unique<TesseractRecognizer>("chi_sim+eng"); }
    static void TearDownTestSuite() { engine_.reset(); }
    static std::unique_ptr<TesseractRecognizer> engine_;
};
std::unique_ptr<TesseractRecognizer> TesseractEngine::engine_;

struct Page {
    const char* name;
    Rendering rendering;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Page& c, std::ostream* out) {
    *out << c.name;
}

class CleanRenders : public TesseractEngine, public ::testing::WithParamInterface<Page> {};

TEST_P(CleanRenders, ReadsEveryLineInOrder) {
    const Rendering& r = GetParam().rendering;
    const auto lines = engine_->Recognize(Render(r));
    ASSERT_EQ(lines.size(), r.lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_GE(CharacterAccuracy(r.lines[i], lines[i].words), 0.95)
            << "expected " << r.lines[i] << "\n     got " << lines[i].words;
        if (i > 0) {
            EXPECT_GT(lines[i].top, lines[i - 1].top + lines[i - 1].height / 2);
        }
        EXPECT_GT(lines[i].width, 0);
        EXPECT_LE(lines[i].left + lines[i].width, r.width + 2);
        EXPECT_LE(lines[i].top + lines[i].height, r.height + 2);
        EXPECT_GT(lines[i].min, 0.0);
        EXPECT_LE(lines[i].min, lines[i].average);
        EXPECT_LE(lines[i].average, 1.0);
        EXPECT_GE(lines[i].variance, 0.0);
        EXPECT_EQ(RemoveCjkSpaces(lines[i].words), lines[i].words);  // no space left between CJK
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, CleanRenders,
    ::testing::Values(
        Page{"SansLarge",
             {1000,
              300,
              kSansCjk,
              44,
              {"今天天气很好，我们去公园散步。", "The quick brown fox jumps over 13 lazy dogs."}}},
        Page{"SerifMedium",
             {900,
              200,
              kSerifCjk,
              30,
              {"识别图片中的文字并返回每一行", "Recognition service answers in JSON"}}},
        // Small print is enlarged before recognition.
        Page{"SansSmall",
             {420, 70, kSansCjk, 13, {"小号字体的中文句子", "Small print on one line"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TesseractEngine, BlankPictureHasNoLines) {
    EXPECT_TRUE(engine_->Recognize(Render({300, 100, kSansCjk, 20, {}, "png"})).empty());
}

TEST_F(TesseractEngine, DecodesEveryAcceptedFormat) {
    const std::pair<const char*, const char*> formats[] = {
        {"jpg", ""},  {"png", ""},           {"gif", ""},
        {"webp", ""}, {"tif", "-alpha off"}, {"bmp", "-type truecolor"}};
    for (const auto& [format, options] : formats) {
        Rendering r{200,     60,     kSansCjk, 20,
                    {"abc"}, format, options,  std::string(format) == "bmp" ? "bmp3:" : ""};
        PixPtr pix = DecodePicture(Render(r));
        ASSERT_TRUE(pix) << format;
        EXPECT_EQ(pixGetWidth(pix.get()), 200) << format;
        EXPECT_EQ(pixGetHeight(pix.get()), 60) << format;
    }
}

// The PNG reader gives, at full size, what Leptonica's own reader gives for every kind
// of PNG, but that a fully transparent pixel has no colour.
TEST_F(TesseractEngine, PngReaderAtFullSizeReadsAsLeptonica) {
    struct Kind {
        const char *name, *options, *coder = "";
        std::string background = "#FFC80080";  // half-transparent orange where alpha is kept
    };
    const Kind kinds[] = {{"grey", "-type grayscale"},
                          {"grey, 1 bit", "-type bilevel"},
                          {"palette", "-type palette"},
                          {"colour", "-type truecolor"},
                          {"colour with alpha", "-type truecolormatte"},
                          {"16-bit colour with alpha", "-depth 16"},
                          {"transparent orange ground", "", "png32:", "#FFC80000"},
                          {"interlaced", "-interlace PNG -type truecolor"}};
    for (const auto& [name, options, coder, background] : kinds) {
        Rendering r{203, 61, kSansCjk, 20, {"abc 中"}, "png", options, coder};
        r.background = background;
        const auto bytes = Render(r);
        const PixPtr theirs(pixReadMem(bytes.data(), bytes.size()));
        const PixPtr ours = ReadPngReduced(bytes, 1);
        ASSERT_TRUE(theirs && ours) << name;
        const PixPtr a(pixConvertTo32(theirs.get())), b(pixConvertTo32(ours.get()));
        ASSERT_EQ(pixGetWidth(b.get()), 203) << name;
        ASSERT_EQ(pixGetHeight(b.get()), 61) << name;
        const bool alpha = pixGetSpp(theirs.get()) == 4;
        EXPECT_EQ(pixGetSpp(ours.get()) == 4, alpha) << name;
        int differing = 0;
        for (l_int32 y = 0; y < 61; ++y) {
            for (l_int32 x = 0; x < 203; ++x) {
                l_uint32 p = 0, q = 0;
                pixGetPixel(a.get(), x, y, &p);
                pixGetPixel(b.get(), x, y, &q);
                const l_uint32 opaque = alpha ? 0xffffffff : 0xffffff00;
                differing += alpha && (p & 0xff) == 0 ? q != 0 : (p & opaque) != (q & opaque);
            }
        }
        EXPECT_EQ(differing, 0) << name;
    }
}

// BMP forms beyond the classic header, as ImageMagick and paint programs write them,
// decode to the picture ImageMagick itself reads from them.
TEST_F(TesseractEngine, DecodesBmpFormsBeyondTheClassicHeader) {
    struct Form {
        const char* name;
        std::string background, options, coder;
        std::uint8_t header_size, compression;  // bytes 14 and 30 of the file
    };
    const Form forms[] = {
        {"V5 header, 32-bit bit fields", "white", "", "bmp:", 124, 3},
        {"V5 header, alpha over transparent black", "none", "", "bmp:", 124, 3},
        {"OS/2 header", "white", "-type truecolor", "bmp2:", 12, 0},
        {"run-length coded", "white", "-type palette -compress RLE", "bmp3:", 40, 1},
        {"grey, run-length coded, V5 header", "white",
         "-alpha off -colorspace Gray -type Palette -compress RLE", "bmp:", 124, 1},
    };
    for (const Form& form : forms) {
        Rendering r{200, 60, kSansCjk, 20, {"abc"}, "bmp", form.options, form.coder};
        r.background = form.background;
        const auto bytes = Render(r);
        ASSERT_GT(bytes.size(), 30u) << form.name;
        EXPECT_EQ(bytes[14], form.header_size) << form.name;
        if (form.header_size != 12) {
            EXPECT_EQ(bytes[30], form.compression) << form.name;
        }

        const auto reference = ConvertToPng(bytes, "bmp");
        ASSERT_FALSE(reference.empty()) << form.name;
        const PixPtr expected(pixConvertTo8(DecodePicture(reference).get(), 0));
        const PixPtr got(pixConvertTo8(DecodePicture(bytes).get(), 0));
        ASSERT_TRUE(expected && got) << form.name;
        ASSERT_EQ(pixGetWidth(got.get()), 200) << form.name;
        ASSERT_EQ(pixGetHeight(got.get()), 60) << form.name;
        int differing = 0, dark = 0;
        for (l_int32 y = 0; y < 60; ++y) {
            for (l_int32 x = 0; x < 200; ++x) {
                l_uint32 a = 0, b = 0;
                pixGetPixel(expected.get(), x, y, &a);
                pixGetPixel(got.get(), x, y, &b);
                differing += std::abs(int(a) - int(b)) > 1;
                dark += b < 100;
            }
        }
        EXPECT_EQ(differing, 0) << form.name;
        EXPECT_GT(dark, 50) << form.name;  // the text is there, not a blank page
    }
}

std::vector<std::uint8_t> PngChunk(const std::string& type, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> chunk;
    const auto put32 = [&](std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            chunk.push_back(std::uint8_t(v >> s));
    };
    put32(std::uint32_t(data.size()));
    chunk.insert(chunk.end(), type.begin(), type.end());
    chunk.insert(chunk.end(), data.begin(), data.end());
    put32(std::uint32_t(crc32(0, chunk.data() + 4, uInt(chunk.size() - 4))));
    return chunk;
}

// A greyscale PNG whose pixels are all zero: tiny on the wire, huge decoded.
std::vector<std::uint8_t> PngBomb(std::uint32_t width, std::uint32_t height, bool with_pixels) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr = {std::uint8_t(width >> 24),
                                      std::uint8_t(width >> 16),
                                      std::uint8_t(width >> 8),
                                      std::uint8_t(width),
                                      std::uint8_t(height >> 24),
                                      std::uint8_t(height >> 16),
                                      std::uint8_t(height >> 8),
                                      std::uint8_t(height),
                                      8,
                                      0,
                                      0,
                                      0,
                                      0};
    const auto append = [&](const std::vector<std::uint8_t>& chunk) {
        png.insert(png.end(), chunk.begin(), chunk.end());
    };
    append(PngChunk("IHDR", ihdr));
    if (with_pixels) {
        const std::vector<std::uint8_t> raw(std::size_t(width + 1) * height, 0);
        uLongf size = compressBound(uLong(raw.size()));
        std::vector<std::uint8_t> packed(size);
        compress2(packed.data(), &size, raw.data(), uLong(raw.size()), 9);
        packed.resize(size);
        append(PngChunk("IDAT", packed));
    }
    append(PngChunk("IEND", {}));
    return png;
}

std::vector<std::uint8_t> GifFrames(std::uint16_t screen_w, std::uint16_t screen_h, int frames,
                                    std::uint16_t w, std::uint16_t h) {
    std::vector<std::uint8_t> gif = {'G',
                                     'I',
                                     'F',
                                     '8',
                                     '9',
                                     'a',
                                     std::uint8_t(screen_w),
                                     std::uint8_t(screen_w >> 8),
                                     std::uint8_t(screen_h),
                                     std::uint8_t(screen_h >> 8),
                                     0x80,
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     255,
                                     255,
                                     255};
    for (int f = 0; f < frames; ++f) {
        const std::uint8_t descriptor[] = {0x2C,
                                           0,
                                           0,
                                           0,
                                           0,
                                           std::uint8_t(w),
                                           std::uint8_t(w >> 8),
                                           std::uint8_t(h),
                                           std::uint8_t(h >> 8),
                                           0,
                                           2,
                                           2,
                                           0x4C,
                                           0x01,
                                           0};
        gif.insert(gif.end(), std::begin(descriptor), std::end(descriptor));
    }
    gif.push_back(0x3B);
    return gif;
}

// A BMP file header and info header that promise far more pixels than follow.
std::vector<std::uint8_t> BmpHeader(std::int32_t width, std::int32_t height) {
    std::vector<std::uint8_t> bmp(54 + 64, 0);
    const auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put(2, std::uint32_t(bmp.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, std::uint32_t(width), 4);
    put(22, std::uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    return bmp;
}

TEST_F(TesseractEngine, RefusesOversizedPicturesBeforeDecoding) {
    const std::vector<std::uint8_t> pictures[] = {
        PngBomb(100000, 100000, false),  // huge declared size
        PngBomb(10000, 6000, true),      // 60 MP of zeros in ~60 KB
        GifFrames(65535, 65535, 1, 16, 16),
        GifFrames(7000, 1000, 8, 7000, 1000),  // each frame fits, all together do not
        BmpHeader(60000, -60000),
    };
    for (const auto& picture : pictures) {
        EXPECT_LT(picture.size(), 1u << 20);
        EXPECT_THROW(engine_->Recognize(picture), PictureTooLarge);
    }
}

TEST_F(TesseractEngine, RefusesBrokenAndForeignData) {
    const auto png = Render({300, 80, kSansCjk, 20, {"truncated"}, "png"});
    const std::string texts[] = {"", "short", "This is plain text, not a picture at all.",
                                 "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\n",
                                 "P5\n2 2\n255\n\0\0\0\0"};
    for (const auto& text : texts) {
        EXPECT_THROW(engine_->Recognize(std::vector<std::uint8_t>(text.begin(), text.end())),
                     BadPicture)
            << text;
    }
    EXPECT_THROW(engine_->Recognize(
                     std::vector<std::uint8_t>(png.begin(), png.begin() + long(png.size() / 2))),
                 BadPicture);
    EXPECT_THROW(engine_->Recognize(std::vector<std::uint8_t>(png.begin(), png.begin() + 40)),
                 BadPicture);
    // A truncated JPEG may decode as far as it goes; it must not bring anything down.
    const auto jpeg = Render({300, 80, kSansCjk, 20, {"truncated"}, "jpg"});
    try {
        engine_->Recognize(
            std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2)));
    } catch (const BadPicture&) {
    }
}

}  // namespace
}  // namespace ocrgated::testing
