#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "pictures/errors.h"
#include "pictures/png_graphic.h"

using pictures::TPngGraphic;

namespace {

QImage Pattern(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgba(x * 40, y * 50, 200, 255 - x * 10));
    }
    return image;
}

QByteArray Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

std::unique_ptr<TPngGraphic> Load(const QByteArray& bytes) {
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    auto png = std::make_unique<TPngGraphic>();
    png->LoadFromStream(in);
    return png;
}

struct ContentCase {
    const char* name;
    QByteArray bytes;
    QImage expected;  // the pixels the fresh PNG must carry
};

class PngContent : public ::testing::TestWithParam<ContentCase> {};

TEST_P(PngContent, IsSentAsAFreshPngOfTheSamePixels) {
    auto png = Load(GetParam().bytes);
    const QImage& expected = GetParam().expected;
    EXPECT_EQ(png->Width(), expected.width());
    EXPECT_EQ(png->Height(), expected.height());
    EXPECT_TRUE(png->Transparent());
    const QByteArray sent = png->SaveToBytes();
    EXPECT_TRUE(sent.startsWith("\x89PNG\r\n\x1A\n"));
    const QImage back = QImage::fromData(sent, "PNG").convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(back, expected.convertToFormat(QImage::Format_ARGB32));
}

QByteArray Bmp24() {
    return testing_bmp::Bmp{.width = 5, .height = 3}.Build();
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PngContent,
    ::testing::Values(
        ContentCase{"Png", Encode(Pattern(6, 4), "png"), Pattern(6, 4)},
        ContentCase{"JpegData", Encode(Pattern(9, 7).convertToFormat(QImage::Format_RGB32), "jpeg"),
                    QImage::fromData(Encode(Pattern(9, 7).convertToFormat(QImage::Format_RGB32), "jpeg"))},
        ContentCase{"BmpData", Bmp24(), QImage::fromData(Bmp24(), "BMP")},
        ContentCase{"Bmp32ZeroAlphaIsOpaque",
                    testing_bmp::Bmp{.width = 2, .height = 1, .bits = 32,
                                     .pixels = QByteArray::fromHex("1020300040506000")}.Build(),
                    [] {
                        QImage i(2, 1, QImage::Format_ARGB32);
                        i.setPixel(0, 0, qRgb(0x30, 0x20, 0x10));
                        i.setPixel(1, 0, qRgb(0x60, 0x50, 0x40));
                        return i;
                    }()}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    QByteArray bytes;
    const char* message;
};

class PngFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PngFailure, RaisesTheStatusCode) {
    try {
        Load(GetParam().bytes);
        FAIL() << "loaded";
    } catch (const pictures::EPictureError& e) {
        EXPECT_EQ(e.Message().toStdString(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PngFailure,
    ::testing::Values(
        FailureCase{"OneByte", QByteArray("\x89", 1), "Invalid operation in GDI+ (Code: 2)"},
        FailureCase{"ThirteenBytes", Encode(Pattern(2, 2), "png").left(13), "Invalid operation in GDI+ (Code: 2)"},
        FailureCase{"Garbage", QByteArray(200, 'x'), "Invalid operation in GDI+ (Code: 2)"},
        FailureCase{"TruncatedPng", Encode(Pattern(20, 20), "png").left(40), "Invalid operation in GDI+ (Code: 2)"},
        FailureCase{"BmpOverPixelLimit",
                    testing_bmp::Bmp{.width = 20000, .height = 15000, .bits = 8,
                                     .table = testing_bmp::GreyTable(256), .pixels = QByteArray(16, 1)}.Build(),
                    "Invalid operation in GDI+ (Code: 3)"},
        FailureCase{"BrokenBmp", QByteArray("BM") + QByteArray(14, '\0'), "Stream read error"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PngKind, ZeroLengthIsEmptyAndWritesNothing) {
    auto png = Load(QByteArray());
    EXPECT_TRUE(png->Empty());
    EXPECT_TRUE(png->SaveToBytes().isEmpty());
}

TEST(PngKind, SizeChangesAreIgnored) {
    auto png = Load(Encode(Pattern(3, 2), "png"));
    png->SetWidth(100);
    png->SetHeight(100);
    EXPECT_EQ(png->Width(), 3);
    EXPECT_EQ(png->Height(), 2);
}

TEST(PngKind, DrawsAtNaturalSizeLikeQtGui) {
    const QImage source = Pattern(6, 4).convertToFormat(QImage::Format_RGB32);
    auto png = Load(Encode(source, "png"));
    QImage target(6, 4, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    png->Draw(painter, target.rect());
    painter.end();
    EXPECT_EQ(target, source);
}

TEST(PngKind, ClipboardImageIsDrawnOnWhite) {
    QImage clear(2, 1, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    auto png = Load(Encode(clear, "png"));
    const QImage copy = png->ToImage();
    EXPECT_EQ(copy.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(copy.pixel(1, 0), qRgb(255, 255, 255));
}

}  // namespace
