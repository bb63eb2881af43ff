#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "pictures/errors.h"
#include "pictures/icon.h"
#include "pictures/metafile.h"
#include "pictures/ole_graphic.h"

using testing_bmp::Le16;
using testing_bmp::Le32;

namespace {

template <typename Kind>
std::unique_ptr<Kind> Load(const QByteArray& bytes) {
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    auto kind = std::make_unique<Kind>();
    kind->LoadFromStream(in);
    return kind;
}

QByteArray Icon() {
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, qRgba(x * 16, y * 16, 128, 255));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "ico").write(image);
    return bytes;
}

// A placeable Windows metafile: the 22-byte header and a records part with only its header.
QByteArray Placeable(std::int16_t right, std::int16_t bottom, std::uint16_t inch, bool goodSum = true) {
    QByteArray h;
    Le32(h, 0x9AC6CDD7);
    Le16(h, 0);
    Le16(h, 0);
    Le16(h, 0);
    Le16(h, std::uint16_t(right));
    Le16(h, std::uint16_t(bottom));
    Le16(h, inch);
    Le32(h, 0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= std::uint16_t(std::uint8_t(h[2 * i]) | (std::uint8_t(h[2 * i + 1]) << 8));
    Le16(h, goodSum ? sum : sum ^ 1);
    QByteArray wmf;
    Le16(wmf, 1);       // in memory
    Le16(wmf, 9);       // header words
    Le16(wmf, 0x300);   // version
    Le32(wmf, 12);      // size in words: header and the end record
    Le16(wmf, 0);
    Le32(wmf, 3);
    Le16(wmf, 0);
    Le32(wmf, 3);       // end-of-file record
    Le16(wmf, 0);
    return h + wmf;
}

QByteArray Enhanced(int bytes = 120) {
    QByteArray e;
    Le32(e, 1);         // header record
    Le32(e, 108);       // its size
    for (int v : {0, 0, 99, 49}) Le32(e, std::uint32_t(v));            // bounds
    for (int v : {0, 0, 2540, 1270}) Le32(e, std::uint32_t(v));        // frame, 0.01 mm
    Le32(e, 0x464D4520);
    Le32(e, 0x10000);
    Le32(e, std::uint32_t(bytes));
    e.resize(bytes, '\0');
    return e;
}

struct FailureCase {
    const char* name;
    std::function<void()> load;
    const char* message;
};

class KindFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(KindFailure, RaisesTheFixedText) {
    try {
        GetParam().load();
        FAIL() << "loaded";
    } catch (const pictures::EPictureError& e) {
        EXPECT_EQ(e.Message().toStdString(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, KindFailure,
    ::testing::Values(
        FailureCase{"IconType2", [] { Load<pictures::TIcon>(QByteArray::fromHex("000002000100")); },
                    "Icon image is not valid"},
        FailureCase{"IconShort", [] { Load<pictures::TIcon>(QByteArray::fromHex("0000")); }, "Stream read error"},
        FailureCase{"MetafileText", [] { Load<pictures::TMetafile>(QByteArray(300, 'a')); },
                    "Metafile is not valid"},
        FailureCase{"MetafileBadChecksum", [] { Load<pictures::TMetafile>(Placeable(100, 50, 1440, false)); },
                    "Metafile is not valid"},
        FailureCase{"MetafileHeaderOnly", [] { Load<pictures::TMetafile>(Placeable(100, 50, 1440).left(22)); },
                    "Metafile is not valid"},
        FailureCase{"MetafileEmpty", [] { Load<pictures::TMetafile>(QByteArray()); }, "Metafile is not valid"},
        FailureCase{"EnhancedSizeBeyondData",
                    [] { Load<pictures::TMetafile>(Enhanced(120).left(110)); }, "Metafile is not valid"},
        FailureCase{"OleUndecodable", [] { Load<pictures::TOleGraphic>(QByteArray(40, 'z')); },
                    "Bitmap image is not valid"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IconKind, KeepsBytesAndDrawsLikeQtGui) {
    const QByteArray bytes = Icon();
    auto icon = Load<pictures::TIcon>(bytes);
    EXPECT_EQ(icon->Width(), 16);
    EXPECT_EQ(icon->Height(), 16);
    EXPECT_EQ(icon->SaveToBytes(), bytes);
    QImage drawn(16, 16, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    icon->Draw(painter, drawn.rect());
    painter.end();
    EXPECT_EQ(drawn, QImage::fromData(bytes, "ICO").convertToFormat(QImage::Format_ARGB32));
}

TEST(IconKind, UndecodableIconFailsAtDraw) {
    auto icon = Load<pictures::TIcon>(QByteArray::fromHex("000001000100") + QByteArray(16, '\0'));
    QImage target(4, 4, QImage::Format_RGB32);
    QPainter painter(&target);
    EXPECT_THROW(icon->Draw(painter, target.rect()), pictures::EInvalidGraphic);
}

TEST(MetafileKind, PlaceableIsSavedWithAFreshHeader) {
    auto wmf = Load<pictures::TMetafile>(Placeable(1440, 720, 1440));
    EXPECT_FALSE(wmf->Enhanced());
    EXPECT_EQ(wmf->MMWidth(), 2540);
    EXPECT_EQ(wmf->MMHeight(), 1270);
    EXPECT_EQ(wmf->Width(), 96);
    EXPECT_EQ(wmf->Height(), 48);
    EXPECT_EQ(wmf->SaveToBytes(), Placeable(1440, 720, 1440));
}

TEST(MetafileKind, EnhancedIsSavedAsItsRecords) {
    auto emf = Load<pictures::TMetafile>(Enhanced() + "behind");
    EXPECT_TRUE(emf->Enhanced());
    EXPECT_EQ(emf->Width(), 96);
    EXPECT_EQ(emf->Height(), 48);
    EXPECT_EQ(emf->SaveToBytes(), Enhanced());
}

TEST(OleKind, LoadFromFileLeavesItEmpty) {
    pictures::TOleGraphic ole;
    ole.LoadFromFile(QStringLiteral("/no/such/file"));
    EXPECT_TRUE(ole.Empty());
    EXPECT_TRUE(ole.SaveToBytes().isEmpty());
}

}  // namespace
