#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "pictures/bitmap.h"
#include "pictures/errors.h"

using pictures::TBitmap;
using testing_bmp::Bmp;

namespace {

QByteArray Roundtrip(const QByteArray& file) {
    QBuffer in;
    in.setData(file);
    in.open(QIODevice::ReadOnly);
    TBitmap bitmap;
    bitmap.LoadFromStream(in);
    return bitmap.SaveToBytes();
}

std::unique_ptr<TBitmap> Load(const QByteArray& file) {
    QBuffer in;
    in.setData(file);
    in.open(QIODevice::ReadOnly);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(in);
    return bitmap;
}

QImage DrawInto(TBitmap& bitmap, QSize size) {
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::magenta);
    QPainter painter(&out);
    bitmap.Draw(painter, QRect(QPoint(0, 0), size));
    return out;
}

QByteArray Rle8() {
    // Two rows of four pixels: a run, an absolute run, end of line, a delta, end of bitmap.
    return QByteArray::fromHex("0201" "0202" "0000" "00020100" "0103" "0001");
}

struct FailureCase {
    const char* name;
    QByteArray file;
    const char* message;
};

class BmpFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(BmpFailure, RaisesTheFixedText) {
    try {
        Load(GetParam().file);
        FAIL() << "loaded";
    } catch (const pictures::EPictureError& e) {
        EXPECT_EQ(e.Message().toStdString(), GetParam().message);
    }
}

QByteArray With(Bmp b) { return b.Build(); }

INSTANTIATE_TEST_SUITE_P(
    Table, BmpFailure,
    ::testing::Values(
        FailureCase{"JpegData", QByteArray::fromHex("FFD8FFE000104A46494600010100000100010000"),
                    "Bitmap image is not valid"},
        FailureCase{"NoBM", [] { auto f = With({}); f[0] = 'X'; return f; }(), "Bitmap image is not valid"},
        FailureCase{"PlanesTwo", With({.planes = 2}), "Bitmap image is not valid"},
        FailureCase{"PlanesZeroRle", With({.planes = 0, .bits = 8, .compression = 1, .pixels = Rle8()}),
                    "Bitmap image is not valid"},
        FailureCase{"ShorterThanFileHeader", QByteArray("BM\x10\x00", 4), "Stream read error"},
        FailureCase{"ShorterThanInfoHeader", With({}).left(30), "Stream read error"},
        FailureCase{"ShorterThanMasks", With({.bits = 16, .compression = 3, .pixels = QByteArray()}),
                    "Stream read error"},
        FailureCase{"ShorterThanColourTable",
                    With({.bits = 8, .table = testing_bmp::GreyTable(10), .pixels = QByteArray()}),
                    "Stream read error"},
        FailureCase{"HugeColourCount", With({.bits = 24, .clrUsed = 0xFFFFFFFF}), "Stream read error"},
        FailureCase{"ZeroWidth", With({.width = 0, .pixels = QByteArray()}), "Bitmap image is not valid"},
        FailureCase{"ZeroHeight", With({.height = 0, .pixels = QByteArray()}), "Bitmap image is not valid"},
        FailureCase{"OddDepth", With({.bits = 7, .pixels = QByteArray(8, 0)}), "Bitmap image is not valid"},
        FailureCase{"BitfieldsAt24", With({.bits = 24, .compression = 3, .masks = {1, 2, 4}}),
                    "Bitmap image is not valid"},
        FailureCase{"Rle8At4Bits", With({.bits = 4, .compression = 1, .table = testing_bmp::GreyTable(16), .pixels = Rle8()}),
                    "Bitmap image is not valid"},
        FailureCase{"OverOneGiB", With({.width = 20000, .height = 20000, .pixels = QByteArray(64, 1)}),
                    "Bitmap image is not valid"},
        FailureCase{"SizeOverflow", With({.width = 0x7FFFFFFF, .height = -0x7FFFFFFF, .bits = 32, .pixels = QByteArray(64, 1)}),
                    "Bitmap image is not valid"},
        FailureCase{"RleTooBig", With({.width = 70000, .height = 70000, .bits = 8, .compression = 1,
                                       .table = testing_bmp::GreyTable(256), .pixels = Rle8()}),
                    "Bitmap image is not valid"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpLoad, ZeroLengthIsEmptyAndSavesNothing) {
    auto bitmap = Load(QByteArray());
    EXPECT_TRUE(bitmap->Empty());
    EXPECT_EQ(bitmap->Width(), 0);
    EXPECT_TRUE(bitmap->SaveToBytes().isEmpty());
}

struct SaveCase {
    const char* name;
    QByteArray file;
    QByteArray expected;
};

class BmpSave : public ::testing::TestWithParam<SaveCase> {};

TEST_P(BmpSave, WritesTheRebuiltFile) {
    const QByteArray saved = Roundtrip(GetParam().file);
    EXPECT_EQ(saved.toHex().toStdString(), GetParam().expected.toHex().toStdString());
}

QByteArray Patch32(QByteArray b, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BmpSave,
    ::testing::Values(
        SaveCase{"Identical24", With({}), With({})},
        SaveCase{"Identical24TopDown", With({.width = 5, .height = -3}), With({.width = 5, .height = -3})},
        SaveCase{"Identical1Bit", With({.width = 9, .bits = 1, .clrUsed = 2, .table = {0, 0xFFFFFF}}),
                 With({.width = 9, .bits = 1, .clrUsed = 2, .table = {0, 0xFFFFFF}})},
        SaveCase{"EightBitCountZeroSentWith256",
                 With({.bits = 8, .table = testing_bmp::GreyTable(256)}),
                 With({.bits = 8, .clrUsed = 256, .table = testing_bmp::GreyTable(256)})},
        SaveCase{"FourBitShortTableKept",
                 With({.bits = 4, .clrUsed = 3, .table = testing_bmp::GreyTable(3)}),
                 With({.bits = 4, .clrUsed = 3, .table = testing_bmp::GreyTable(3)})},
        SaveCase{"Rle8Identical",
                 With({.width = 4, .bits = 8, .compression = 1, .clrUsed = 4, .table = testing_bmp::GreyTable(4),
                       .pixels = Rle8(), .gap = "gap", .trailing = "tail"}),
                 With({.width = 4, .bits = 8, .compression = 1, .clrUsed = 4, .table = testing_bmp::GreyTable(4),
                       .pixels = Rle8(), .gap = "gap", .trailing = "tail"})},
        SaveCase{"Rle4Identical",
                 With({.width = 4, .bits = 4, .compression = 2, .table = testing_bmp::GreyTable(16),
                       .pixels = QByteArray::fromHex("04120000041200000001")}),
                 With({.width = 4, .bits = 4, .compression = 2, .table = testing_bmp::GreyTable(16),
                       .pixels = QByteArray::fromHex("04120000041200000001")})},
        SaveCase{"OtherCompressionIdentical",
                 With({.bits = 0, .compression = 4, .pixels = QByteArray("not decoded")}),
                 With({.bits = 0, .compression = 4, .pixels = QByteArray("not decoded")})},
        SaveCase{"Os2HeaderKept", With({.headerSize = 12, .bits = 8, .table = testing_bmp::GreyTable(256)}),
                 With({.headerSize = 12, .bits = 8, .table = testing_bmp::GreyTable(256)})},
        SaveCase{"Header124SentAs40", With({.headerSize = 124}), With({})},
        SaveCase{"Header108BitfieldsSentAs40WithMasks",
                 With({.headerSize = 108, .bits = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF, 0}}),
                 With({.bits = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF}})},
        SaveCase{"ZeroMasksGetDefaults16",
                 With({.bits = 16, .compression = 3, .masks = {0, 0, 0}}),
                 With({.bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}})},
        SaveCase{"ZeroMasksGetDefaults32",
                 With({.bits = 32, .compression = 3, .masks = {0, 0, 0}}),
                 With({.bits = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF}})},
        SaveCase{"GapAndTrailingDropped", With({.gap = "0123", .trailing = "behind"}), With({})},
        SaveCase{"ReservedWordsCleared", With({.reserved = 7}), With({})},
        SaveCase{"ImageSizeZeroFilledIn", With({.sizeImage = 0}), With({})},
        SaveCase{"DeepColourTableBecomesTable",
                 With({.bits = 24, .clrUsed = 2, .table = {0x102030, 0x405060}}),
                 With({.bits = 24, .clrUsed = 2, .table = {0x102030, 0x405060}})},
        SaveCase{"ShortPixelsPaddedWithZeros",
                 With({.pixels = QByteArray(5, '\x7F')}),
                 With({.pixels = QByteArray(5, '\x7F') + QByteArray(24 - 5, '\0')})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpSave, FileSizeAndOffsetFieldsAreRebuilt) {
    const QByteArray saved = Roundtrip(Patch32(With({.trailing = "xx"}), 2, 12345));
    EXPECT_EQ(saved, With({}));
}

struct DrawCase {
    const char* name;
    QByteArray file;
    int tolerance;
};

class BmpDraw : public ::testing::TestWithParam<DrawCase> {};

// Our drawn pixels against QtGui's own decoding of the same file.
TEST_P(BmpDraw, MatchesQtGuiDecoding) {
    const QImage reference = QImage::fromData(GetParam().file, "BMP").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull());
    auto bitmap = Load(GetParam().file);
    ASSERT_EQ(bitmap->Width(), reference.width());
    ASSERT_EQ(bitmap->Height(), reference.height());
    const QImage drawn = DrawInto(*bitmap, reference.size());
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = drawn.pixel(x, y), b = reference.pixel(x, y);
            EXPECT_LE(std::abs(qRed(a) - qRed(b)), GetParam().tolerance) << x << "," << y;
            EXPECT_LE(std::abs(qGreen(a) - qGreen(b)), GetParam().tolerance) << x << "," << y;
            EXPECT_LE(std::abs(qBlue(a) - qBlue(b)), GetParam().tolerance) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Depths, BmpDraw,
    ::testing::Values(
        DrawCase{"Bits1", With({.width = 13, .height = 3, .bits = 1, .table = {0x000000, 0xFFFFFF}}), 0},
        DrawCase{"Bits4", With({.width = 7, .height = 3, .bits = 4, .table = testing_bmp::GreyTable(16)}), 0},
        DrawCase{"Bits8", With({.width = 5, .height = 4, .bits = 8, .table = testing_bmp::GreyTable(256)}), 0},
        DrawCase{"Bits16", With({.width = 5, .height = 2, .bits = 16}), 8},
        DrawCase{"Bits16Masks565", With({.width = 5, .height = 2, .bits = 16, .compression = 3,
                                          .masks = {0xF800, 0x07E0, 0x001F}}), 8},
        DrawCase{"Bits24", With({.width = 7, .height = 5}), 0},
        DrawCase{"Bits24TopDown", With({.width = 7, .height = -5}), 0},
        DrawCase{"Bits32", With({.width = 4, .height = 3, .bits = 32}), 0},
        DrawCase{"Os2Bits8", With({.headerSize = 12, .width = 5, .height = 2, .bits = 8,
                                   .table = testing_bmp::GreyTable(256)}), 0},
        DrawCase{"Rle8", With({.width = 4, .bits = 8, .compression = 1, .clrUsed = 4,
                               .table = {0, 0xFF0000, 0x00FF00, 0x0000FF},
                               .pixels = QByteArray::fromHex("0401" "0000" "0102" "000303010200" "0001")}), 0},
        DrawCase{"Rle4", With({.width = 5, .bits = 4, .compression = 2, .table = testing_bmp::GreyTable(16),
                               .pixels = QByteArray::fromHex("05A3" "0000" "00059ABC00" "0001")}), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpDraw, StretchesWithoutSmoothing) {
    auto bitmap = Load(With({.width = 2, .height = 1, .bits = 24,
                             .pixels = QByteArray::fromHex("0000FF" "FF0000" "0000")}));
    const QImage drawn = DrawInto(*bitmap, {4, 2});
    EXPECT_EQ(drawn.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(drawn.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(drawn.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(drawn.pixel(3, 1), qRgb(0, 0, 255));
}

// Pixels skipped by a delta keep index 0.
TEST(BmpDraw, RleDeltaSkipsToIndexZero) {
    auto bitmap = Load(With({.width = 4, .bits = 8, .compression = 1, .clrUsed = 4,
                             .table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, .pixels = Rle8()}));
    const QImage drawn = DrawInto(*bitmap, {4, 2});
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0);
    const QRgb expected[2][4] = {{black, blue, black, black}, {red, red, green, green}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(drawn.pixel(x, y), expected[y][x]) << x << "," << y;
    }
}

TEST(BmpPaste, ImageBecomesA24BitBitmap) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(2, 1, qRgb(200, 100, 50));
    auto bitmap = TBitmap::FromImage(image);
    const QByteArray saved = bitmap->SaveToBytes();
    const QImage back = QImage::fromData(saved, "BMP").convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(saved.mid(28, 2), QByteArray::fromHex("1800"));
    EXPECT_EQ(back, image);
}

}  // namespace
