#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>

#include "pictures/errors.h"
#include "pictures/jpeg_image.h"

using pictures::TJPEGImage;

namespace {

QImage Gradient(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) % 256));
    }
    return image.convertToFormat(format);
}

QByteArray Encode(const QImage& image, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// Inserts a comment segment and an application segment right after the start marker.
QByteArray WithMetadata(const QByteArray& jpeg) {
    QByteArray comment = QByteArray::fromHex("FFFE0010") + QByteArray("made for a test");
    comment.chop(1);
    const QByteArray app = QByteArray::fromHex("FFEB0006") + QByteArray("ABCD");
    return jpeg.left(2) + comment + app + jpeg.mid(2);
}

std::unique_ptr<TJPEGImage> Load(const QByteArray& bytes) {
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    auto image = std::make_unique<TJPEGImage>();
    image->LoadFromStream(in);
    return image;
}

QImage Drawn(TJPEGImage& image) {
    QImage out(image.Width(), image.Height(), QImage::Format_RGB32);
    out.fill(Qt::magenta);
    QPainter painter(&out);
    image.Draw(painter, out.rect());
    return out;
}

int MaxDifference(const QImage& a, const QImage& b, int rows) {
    int worst = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

struct JpegCase {
    const char* name;
    QByteArray bytes;
    int width, height;
    bool greyscale, progressive;
};

class JpegKind : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegKind, KeepsBytesReadsHeaderAndDrawsLikeQtGui) {
    const auto& c = GetParam();
    auto image = Load(c.bytes);
    EXPECT_EQ(image->Width(), c.width);
    EXPECT_EQ(image->Height(), c.height);
    EXPECT_EQ(image->Grayscale(), c.greyscale);
    EXPECT_EQ(image->ProgressiveEncoding(), c.progressive);
    EXPECT_EQ(image->SaveToBytes(), c.bytes);
    const QImage reference = QImage::fromData(c.bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull());
    EXPECT_LE(MaxDifference(Drawn(*image), reference, reference.height()), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, JpegKind,
    ::testing::Values(
        JpegCase{"Baseline", Encode(Gradient(37, 21)), 37, 21, false, false},
        JpegCase{"Progressive", Encode(Gradient(40, 30), true), 40, 30, false, true},
        JpegCase{"Greyscale", Encode(Gradient(17, 9, QImage::Format_Grayscale8)), 17, 9, true, false},
        JpegCase{"MetadataAndTrailingBytes", WithMetadata(Encode(Gradient(8, 8))) + "trailing bytes",
                 8, 8, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct JpegErrorCase {
    const char* name;
    QByteArray bytes;
    int code;
};

class JpegHeaderError : public ::testing::TestWithParam<JpegErrorCase> {};

TEST_P(JpegHeaderError, RaisesTheMessageCode) {
    try {
        Load(GetParam().bytes);
        FAIL() << "loaded";
    } catch (const pictures::EJPEG& e) {
        EXPECT_EQ(e.Code(), GetParam().code);
        EXPECT_EQ(e.Message(), QStringLiteral("JPEG error #%1").arg(GetParam().code));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, JpegHeaderError,
    ::testing::Values(
        JpegErrorCase{"PngData", QByteArray::fromHex("89504E470D0A1A0A0000000D49484452"), 53},
        JpegErrorCase{"OneByte", QByteArray("\xFF", 1), 53},
        JpegErrorCase{"Text", QByteArray("hello, world"), pictures::kJpegNoSoi}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JpegKind, ZeroLengthLoadsEmptyAndFailsAtFirstDraw) {
    auto image = Load(QByteArray());
    EXPECT_TRUE(image->Empty());
    EXPECT_TRUE(image->SaveToBytes().isEmpty());
    QImage target(4, 4, QImage::Format_RGB32);
    QPainter painter(&target);
    try {
        image->Draw(painter, target.rect());
        FAIL() << "drew";
    } catch (const pictures::EJPEG& e) {
        EXPECT_EQ(e.Code(), pictures::kJpegInputEmpty);
    }
}

TEST(JpegKind, TruncatedFileLoadsDrawsWhatDecodesAndIsSentAsTruncated) {
    const QImage source = Gradient(64, 64);
    const QByteArray full = Encode(source);
    const QByteArray cut = full.left(full.size() * 2 / 3);
    auto image = Load(cut);
    EXPECT_EQ(image->SaveToBytes(), cut);
    const QImage drawn = Drawn(*image);
    const QImage reference = QImage::fromData(full, "JPEG").convertToFormat(QImage::Format_RGB32);
    EXPECT_LE(MaxDifference(drawn, reference, 8), 2);
}

TEST(JpegKind, SizeCannotChange) {
    auto image = Load(Encode(Gradient(4, 4)));
    for (auto set : {&TJPEGImage::SetWidth, &TJPEGImage::SetHeight}) {
        try {
            (image.get()->*set)(10);
            FAIL() << "changed";
        } catch (const pictures::EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), "Cannot change the size of a JPEG image");
        }
    }
    EXPECT_EQ(image->Width(), 4);
}

TEST(JpegKind, CopiesShareTheBytes) {
    auto image = Load(Encode(Gradient(6, 5)));
    auto copy = image->Clone();
    EXPECT_EQ(copy->Width(), 6);
    EXPECT_EQ(copy->SaveToBytes(), image->SaveToBytes());
}

TEST(JpegKind, CorruptScanDataRaisesOrDrawsButNeverCrashes) {
    QByteArray bytes = Encode(Gradient(32, 32));
    const int scan = int(bytes.indexOf(QByteArray::fromHex("FFDA")));
    ASSERT_GT(scan, 0);
    for (int i = scan + 20; i < bytes.size() - 2; i += 3) bytes[i] = char(0xFF);
    auto image = Load(bytes);
    try {
        Drawn(*image);
    } catch (const pictures::EJPEG& e) {
        EXPECT_GT(e.Code(), 0);
    }
    EXPECT_EQ(image->SaveToBytes(), bytes);
}

}  // namespace
