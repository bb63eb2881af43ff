#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "pictures/pictures.h"

using pictures::TPicture;

namespace {

QByteArray Encode(const char* format, int w = 5, int h = 4) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(40, 90, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

class PictureTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        return testing_bmp::WriteFile(dir_, name, bytes);
    }
    QTemporaryDir dir_;
};

TEST(Registry, EntriesInRegistrationOrder) {
    QStringList extensions;
    for (const auto& f : pictures::FileFormats().Entries()) extensions << f.extension;
    EXPECT_EQ(extensions, (QStringList{"wmf", "emf", "ico", "bmp", "png", "", "jpeg", "jpg"}));
    EXPECT_EQ(pictures::FileFormats().Entries()[1].description, "Enhanced Metafiles");
}

TEST(Registry, LaterEntryWinsAndLookupIgnoresCase) {
    pictures::TFileFormatsList list;
    list.Add("XYZ", "first", [] { return std::unique_ptr<pictures::TGraphic>(); });
    list.Add("xyz", "second", [] { return std::unique_ptr<pictures::TGraphic>(); });
    ASSERT_NE(list.Find("xYz"), nullptr);
    EXPECT_EQ(list.Find("xYz")->description, "second");
    EXPECT_EQ(list.Find("xyz")->extension, "xyz");
    EXPECT_EQ(list.Find("xy"), nullptr);
}

struct ExtensionCase {
    const char* path;
    const char* extension;
};

class Extension : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(Extension, IsWhatFollowsTheLastDot) {
    EXPECT_EQ(pictures::PictureExtension(GetParam().path), GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Extension,
    ::testing::Values(ExtensionCase{"scan.JPG", "JPG"}, ExtensionCase{"scan.old.JPG", "JPG"},
                      ExtensionCase{"C:\\a.b\\photo", ""}, ExtensionCase{"/a.b/photo", ""},
                      ExtensionCase{"photo.", ""}, ExtensionCase{"c:photo", ""},
                      ExtensionCase{"/x/scan.Jpeg", "Jpeg"}, ExtensionCase{"", ""}));

struct LoadCase {
    const char* name;
    QString file;
    QByteArray bytes;
    const char* kind;  // class the holder then holds
    int width;
};

class LoadsByExtension : public PictureTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadsByExtension, PicksTheRegisteredKind) {
    TPicture picture;
    int changes = 0;
    picture.SetOnChange([&] { ++changes; });
    picture.LoadFromFile(Write(GetParam().file, GetParam().bytes));
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_STREQ(typeid(*picture.Graphic()).name(), GetParam().kind);
    EXPECT_EQ(picture.Width(), GetParam().width);
    EXPECT_EQ(changes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadsByExtension,
    ::testing::Values(
        LoadCase{"UpperJpg", "scan.JPG", Encode("jpeg"), typeid(pictures::TJPEGImage).name(), 5},
        LoadCase{"MixedJpeg", "scan.Jpeg", Encode("jpeg"), typeid(pictures::TJPEGImage).name(), 5},
        LoadCase{"UpperPng", "scan.PNG", Encode("png"), typeid(pictures::TPngGraphic).name(), 5},
        LoadCase{"PngNamedJpeg", "scan.png", Encode("jpeg"), typeid(pictures::TPngGraphic).name(), 5},
        LoadCase{"Bmp", "scan.bmp", testing_bmp::Bmp{}.Build(), typeid(pictures::TBitmap).name(), 3},
        LoadCase{"ZeroLengthBmp", "scan.bmp", QByteArray(), typeid(pictures::TBitmap).name(), 0},
        LoadCase{"ZeroLengthPng", "scan.png", QByteArray(), typeid(pictures::TPngGraphic).name(), 0},
        LoadCase{"NoExtension", "scan", Encode("png"), typeid(pictures::TOleGraphic).name(), 0},
        LoadCase{"EndsInDot", "scan.", Encode("png"), typeid(pictures::TOleGraphic).name(), 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    QString file;
    QByteArray bytes;
    const char* message;
};

class LoadFailure : public PictureTest, public ::testing::WithParamInterface<FailureCase> {};

// Every failure leaves the previous picture in place and fires no change.
TEST_P(LoadFailure, KeepsThePreviousPicture) {
    TPicture picture;
    picture.LoadFromFile(Write("before.bmp", testing_bmp::Bmp{.width = 7}.Build()));
    const pictures::TGraphic* before = picture.Graphic();
    int changes = 0;
    picture.SetOnChange([&] { ++changes; });
    const QString path = GetParam().file.isEmpty() ? dir_.filePath("missing.jpg")
                                                   : Write(GetParam().file, GetParam().bytes);
    try {
        picture.LoadFromFile(path);
        FAIL() << "loaded";
    } catch (const pictures::EPictureError& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8(GetParam().message).arg(path));
    }
    EXPECT_EQ(picture.Graphic(), before);
    EXPECT_EQ(picture.Width(), 7);
    EXPECT_EQ(changes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadFailure,
    ::testing::Values(
        FailureCase{"Jpe", "scan.jpe", Encode("jpeg"), "Unknown picture file extension (.jpe)"},
        FailureCase{"Gif", "scan.gif", Encode("gif"), "Unknown picture file extension (.gif)"},
        FailureCase{"Tif", "scan.tif", QByteArray("II*\0", 4), "Unknown picture file extension (.tif)"},
        FailureCase{"CaseKept", "scan.TIFF", QByteArray(), "Unknown picture file extension (.TIFF)"},
        FailureCase{"Missing", "", QByteArray(), "Cannot open file \"%1\". No such file or directory"},
        FailureCase{"JpgNamedPng", "scan.jpg", Encode("png"), "JPEG error #53"},
        FailureCase{"BmpNamedJpeg", "scan.bmp", Encode("jpeg"), "Bitmap image is not valid"},
        FailureCase{"ShortPng", "scan.png", QByteArray("\x89PNG\r\n", 6), "Invalid operation in GDI+ (Code: 2)"},
        FailureCase{"BadIcon", "scan.ico", QByteArray::fromHex("000007000100"), "Icon image is not valid"},
        FailureCase{"BadMetafile", "scan.wmf", QByteArray(64, 'm'), "Metafile is not valid"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PictureTest, SetGraphicCopiesOrClears) {
    TPicture picture;
    int changes = 0;
    picture.SetOnChange([&] { ++changes; });
    pictures::TBitmap source;
    QBuffer in;
    in.setData(testing_bmp::Bmp{.width = 4}.Build());
    in.open(QIODevice::ReadOnly);
    source.LoadFromStream(in);
    picture.SetGraphic(&source);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_NE(picture.Graphic(), &source);
    EXPECT_EQ(picture.SaveToBytes(), source.SaveToBytes());
    picture.SetGraphic(static_cast<const pictures::TGraphic*>(nullptr));
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_TRUE(picture.SaveToBytes().isEmpty());
    EXPECT_EQ(changes, 2);
}

TEST_F(PictureTest, PastedImageReplacesAJpegAndIsSentAsBmp) {
    TPicture picture;
    picture.LoadFromFile(Write("scan.jpg", Encode("jpeg")));
    QImage pasted(3, 3, QImage::Format_RGB32);
    pasted.fill(qRgb(1, 2, 3));
    picture.PasteImage(pasted);
    const QByteArray sent = picture.SaveToBytes();
    EXPECT_TRUE(sent.startsWith("BM"));
    EXPECT_EQ(QImage::fromData(sent, "BMP").convertToFormat(QImage::Format_RGB32), pasted);
}

TEST_F(PictureTest, ClipboardImageOfEachKind) {
    TPicture picture;
    EXPECT_TRUE(picture.ClipboardImage().isNull());
    picture.LoadFromFile(Write("scan.jpg", Encode("jpeg", 6, 2)));
    EXPECT_EQ(picture.ClipboardImage().size(), QSize(6, 2));
    picture.LoadFromFile(Write("scan.png", Encode("png", 2, 6)));
    EXPECT_EQ(picture.ClipboardImage().size(), QSize(2, 6));
    picture.LoadFromFile(Write("scan.ico", QByteArray::fromHex("000001000000")));
    ASSERT_FALSE(picture.Empty());
    EXPECT_TRUE(picture.ClipboardImage().isNull());
}

}  // namespace
