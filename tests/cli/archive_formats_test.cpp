// hOCR and ALTO as their readers take them: the ALTO document valid against the ALTO 4.4
// schema, the hOCR document well-formed XHTML that a PDF tool turns into text in place.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <fstream>

#include "cli/archive_formats.h"
#include "run_program.h"

namespace {

using reply::LineLocation;
using testing_support::RunProgram;

cli::PictureResult Result(std::vector<reply::ResultLine> lines) {
    cli::PictureResult result;
    result.ok = true;
    result.reading.lines = std::move(lines);
    for (std::size_t i = 0; i < result.reading.lines.size(); ++i)
        result.reading.paragraphs.push_back({i});
    return result;
}

std::string Write(const QTemporaryDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(ArchiveFormats, EachDocumentIsReadBackByItsReaders) {
    const std::vector<reply::ResultLine> english{
        {u"Archives keep the text", LineLocation{40, 40, 420, 36}, 0.97},
        {u"Page 7 of 12", LineLocation{40, 200, 220, 36}, 0.91}};
    const LineLocation line{10, 10, 200, 30};
    const std::vector<reply::ResultCharacter> placed{
        {u"A", {10, 10, 20, 30}}, {u"b", {30, 10, 20, 30}}, {u"𠀀", {150, 12, 30, 28}}};
    const struct {
        const char* name;
        std::vector<reply::ResultLine> lines;
        int width;          // 0: the lines' extent stands in for the page
        const char* hocr;   // what the hOCR page holds
        const char* alto;   // what the ALTO page holds
    } cases[] = {
        {"English", english, 900, "bbox 40 40 193 76", "<SP/>"},
        {"Chinese and a column", {{u"识别文字", LineLocation{10, 10, 160, 40}, 0.99},
                                  {u"竖排一列", LineLocation{700, 60, 40, 160}, 0.95}}, 900,
         "bbox 700 60 740 220", "VPOS=\"60\""},
        {"markup, control characters and no boxes",
         {{u"a<b & \"c\" \x01", std::nullopt, std::nullopt}, {u"   ", LineLocation{0, 0, 5, 5}, 1}},
         0, "a&lt;b", "a&lt;b"},
        {"nothing read", {}, 900, "ocr_page", "<PrintSpace"},
        // A word's box is around its characters, each of which has its own.
        {"characters placed", {{u"Ab 𠀀", line, 0.9, placed}}, 900,
         "bbox 10 10 50 40; x_wconf 90\"><span class=\"ocrx_cinfo\" title=\"x_bboxes 10 10 30 40\">A",
         "<Glyph ID=\"glyph_1_3\" CONTENT=\"𠀀\" HPOS=\"150\""},
        {"characters that are not the text's", {{u"Ab 𠀀", line, 0.9, {placed[0], placed[1]}}},
         900, "bbox 10 10 90 40", "CONTENT=\"Ab\" WC=\"0.90\"/>"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const cli::PictureResult result = Result(c.lines);
        const cli::PageGeometry page{1, "scan \"1\".png", c.width, c.width ? 300 : 0};
        const cli::PageGeometry next{2, "scan-2.png", c.width, c.width ? 300 : 0};
        const std::string alto = Write(
            dir, "page.xml",
            cli::AltoHead(page.image) + cli::AltoPage(page, result) + cli::AltoPage(next, result) +
                cli::AltoFoot());
        const auto valid = RunProgram("/usr/bin/xmllint",
                                      {"--noout", "--schema", QUILLORY_ALTO_SCHEMA, alto});
        EXPECT_EQ(valid.status, 0) << c.name << "\n" << valid.err;
        EXPECT_NE(cli::AltoPage(page, result).find(c.alto), std::string::npos) << c.name;
        EXPECT_NE(cli::HocrPage(page, result).find(c.hocr), std::string::npos)
            << c.name << "\n" << cli::HocrPage(page, result);
        const std::string hocr = Write(
            dir, "page.hocr",
            cli::HocrHead() + cli::HocrPage(page, result) + cli::HocrPage(next, result) +
                cli::HocrFoot());
        const auto formed = RunProgram("/usr/bin/xmllint", {"--noout", "--nonet", hocr});
        EXPECT_EQ(formed.status, 0) << c.name << "\n" << formed.err;
    }

    // A PDF tool places each word of the hOCR where its box says, on the picture.
    QImage picture(900, 300, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const std::string png = dir.filePath("page.png").toStdString();
    ASSERT_TRUE(picture.save(QString::fromStdString(png)));
    const cli::PageGeometry page{1, "page.png", 900, 300};
    const std::string pdf = dir.filePath("page.pdf").toStdString();
    const auto made =
        RunProgram("/usr/bin/hocr2pdf", {"-r", "96", "-i", png, "-o", pdf},
                   cli::HocrHead() + cli::HocrPage(page, Result(english)) + cli::HocrFoot());
    ASSERT_EQ(made.status, 0) << made.err;
    const auto text = RunProgram("/usr/bin/pdftotext", {"-bbox", pdf, "-"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* word : {">Archives<", ">keep<", ">text<", ">Page<", ">12<"})
        EXPECT_NE(text.out.find(word), std::string::npos) << word << "\n" << text.out;
    // "Page" stands at the second line's left, below the first: the boxes carried over.
    const auto at = text.out.find(">Page<");
    ASSERT_NE(at, std::string::npos);
    const std::string tag = text.out.substr(text.out.rfind("<word", at), at - text.out.rfind("<word", at));
    EXPECT_NE(tag.find("xMin=\"30."), std::string::npos) << tag;
}

}  // namespace
