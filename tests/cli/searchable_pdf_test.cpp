// The searchable PDF's text layer as a PDF reader extracts it: a page's columns come out
// one after the other, as the paragraphs they were read in.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <string>

#include "cli/searchable_pdf.h"
#include "run_program.h"

// Qt's font database loads fontconfig's configuration once and never frees it: allocations
// inside fontconfig, one set per process, that the leak checker should not count.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

using reply::LineLocation;
using reply::ResultLine;

// Qt's fonts need an application, one for the whole run.
void StartQt() {
    static int argc = 3;
    static char name[] = "test", platform[] = "-platform", offscreen[] = "offscreen";
    static char* argv[] = {name, platform, offscreen, nullptr};
    static QGuiApplication app(argc, argv);
}

// The text pdftotext extracts from a one-page PDF of a white picture with these lines.
testing_support::ProgramRun Extracted(QSize size, int dpi, const std::vector<ResultLine>& lines,
                                      const std::vector<std::vector<std::size_t>>& paragraphs) {
    QTemporaryDir dir;
    const QString path = dir.filePath("page.pdf");
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        cli::SearchablePdf pdf(path);
        pdf.AddPage(picture, dpi, lines, paragraphs);
        pdf.Finish();
    }
    return testing_support::RunProgram("/usr/bin/pdftotext", {path.toStdString(), "-"});
}

struct Column {
    std::vector<std::u16string> lines;
    double left;
};

TEST(SearchablePdf, ColumnsExtractInTurn) {
    StartQt();

    // Box heights as detection gives them (a descender makes a box taller) and line
    // pitches from tight to loose.
    const struct {
        const char* name;
        double pitch;
        std::vector<Column> columns;
    } cases[] = {
        {"Latin, single spaced",
         40,
         {{{u"The first column begins here", u"and goes on for a while", u"before it ends."}, 40},
          {{u"The second column starts", u"at the top on the right", u"and ends here."}, 740}}},
        {"Chinese, one and a half spaced",
         48,
         {{{u"左栏的第一行文字从这里开始，", u"接着是左栏的第二行，", u"左栏结束。"}, 40},
          {{u"右栏的第一行文字在右边，", u"读完左栏才读它，", u"右栏结束。"}, 740}}},
    };
    for (const auto& c : cases) {
        std::vector<ResultLine> lines;
        std::vector<std::vector<std::size_t>> paragraphs;
        for (const Column& column : c.columns) {
            paragraphs.emplace_back();
            for (std::size_t i = 0; i < column.lines.size(); ++i) {
                paragraphs.back().push_back(lines.size());
                const double height = i % 2 ? 34 : 29;
                lines.push_back({column.lines[i],
                                 LineLocation{column.left, 60 + c.pitch * double(i), 16.0 *
                                              double(column.lines[i].size()), height},
                                 0.99});
            }
        }
        const auto run = Extracted({1400, 400}, 200, lines, paragraphs);
        ASSERT_EQ(run.status, 0) << run.err;
        std::string expected;
        for (const Column& column : c.columns) {
            for (const auto& line : column.lines)
                expected += QString::fromStdU16String(line).toStdString() + "\n";
            expected += "\n";
        }
        EXPECT_EQ(run.out, expected + "\f") << c.name;
    }
}

}  // namespace

namespace {

// A page of Chinese set in columns, top to bottom and right to left, extracts in the order
// it is read: each column whole, the rightmost first, no space between characters.
TEST(SearchablePdf, VerticalColumnsExtractRightToLeft) {
    StartQt();
    const std::vector<std::u16string> columns{u"床前明月光", u"疑是地上霜", u"举头望明月",
                                              u"低头思故乡"};
    std::vector<ResultLine> lines;
    std::vector<std::vector<std::size_t>> paragraphs{{}};
    for (std::size_t k = 0; k < columns.size(); ++k) {
        paragraphs.back().push_back(k);
        lines.push_back({columns[k], LineLocation{520.0 - 110.0 * double(k), 40, 44, 290}, 0.99});
    }
    const auto run = Extracted({640, 420}, 150, lines, paragraphs);
    ASSERT_EQ(run.status, 0) << run.err;
    std::string text = run.out;
    std::erase(text, '\n');
    std::erase(text, '\f');
    EXPECT_EQ(text, "床前明月光疑是地上霜举头望明月低头思故乡") << run.out;
}

}  // namespace
