// A recognised table in the command line's formats: Markdown among the paragraphs, HTML
// with its spans, CSV with merged cells repeated.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cli/formats.h"
#include "cli/output.h"
#include "workbook/workbook.h"
#include "run_program.h"

namespace {

using reply::LineLocation;

cli::PictureResult Result() {
    cli::PictureResult result;
    result.ok = true;
    // A paragraph above a 3 x 3 table whose first header cell spans two rows and whose
    // second spans two columns.
    result.reading.lines = {{u"Sales, \"2026\"", LineLocation{10, 10, 200, 20}, 0.9},
                    {u"Region", LineLocation{10, 60, 60, 20}, 0.9},
                    {u"Half|year", LineLocation{110, 60, 80, 20}, 0.9}};
    result.reading.paragraphs = {{0}, {1, 2}};
    reply::ResultTable table;
    table.rows = table.columns = 3;
    table.bounds = LineLocation{0, 50, 300, 150};
    table.cells = {{0, 0, 2, 1, u"Region"}, {0, 1, 1, 2, u"Half|year"}, {1, 1, 1, 1, u"H1"},
                   {1, 2, 1, 1, u"H2"},     {2, 0, 1, 1, u"East"},      {2, 1, 1, 1, u"1,200"},
                   {2, 2, 1, 1, u"1,350"}};
    result.reading.tables = {table};
    return result;
}

TEST(TableFormats, EachFormatKeepsRowsColumnsAndSpans) {
    const cli::PictureResult result = Result();
    const struct {
        const char* format;
        std::string text;
    } cases[] = {
        {"md",
         "Sales, \"2026\"\n\n"
         "| Region | Half\\|year |  |\n| --- | --- | --- |\n|  | H1 | H2 |\n| East | 1,200 | 1,350 "
         "|\n"},
        {"csv", "Region,Half|year,Half|year\r\nRegion,H1,H2\r\nEast,\"1,200\",\"1,350\"\r\n"},
        {"html",
         "<p>Sales, &quot;2026&quot;</p>\n<table>\n"
         "<tr><td rowspan=\"2\">Region</td><td colspan=\"2\">Half|year</td></tr>\n"
         "<tr><td>H1</td><td>H2</td></tr>\n"
         "<tr><td>East</td><td>1,200</td><td>1,350</td></tr>\n</table>\n"},
    };
    for (const auto& c : cases) {
        const std::string format = c.format;
        const std::string text = format == "md"    ? cli::MarkdownText(result)
                                 : format == "csv" ? cli::CsvTables(result).at(0)
                                                   : cli::HtmlBody(result);
        EXPECT_EQ(text, c.text) << format;
    }
}

// With --output, each table of a source to its own CSV file; nothing left when the source
// fails.
TEST(TableFormats, EachTableToItsOwnCsvFile) {
    cli::PictureResult result = Result();
    result.reading.tables.push_back(result.reading.tables.front());
    result.reading.tables.back().cells = {{0, 0, 1, 1, u"second"}};
    QTemporaryDir dir;
    cli::Options options;
    options.format = cli::Format::csv;
    options.output = dir.path().toStdString();
    for (const bool complete : {false, true}) {
        cli::Output output(options, stdout, 1);
        cli::Source source{
            cli::Source::Kind::picture, "scan.png", dir.filePath("scan.csv").toStdString(), {}, {}};
        output.Begin(source);
        output.Page(source, 1, {result, {}, 0});
        output.Page(source, 2, {result, {}, 0});
        output.End(source, complete);
        const auto read = [&](const char* name) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString()
                                                  : std::string("(none)");
        };
        const std::string first = complete ? cli::CsvTables(result).at(0) : "(none)";
        const std::string second = complete ? cli::CsvTables(result).at(1) : "(none)";
        EXPECT_EQ(read("scan.csv"), first) << complete;
        EXPECT_EQ(read("scan-2.csv"), second) << complete;
        EXPECT_EQ(read("scan-3.csv"), first) << complete;  // the second page's
        EXPECT_EQ(read("scan-4.csv"), second) << complete;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), complete ? 4 : 0);
    }
}

// The workbook read back from its sheet's XML: merged ranges for the spans, numbers as
// numbers in the places the table gave them, text as shared strings.
TEST(TableFormats, TheWorkbookHoldsTheTable) {
    cli::PictureResult result = Result();
    result.reading.tables[0].cells[5].words = u"1200";
    result.reading.tables[0].cells[6].words = u"13.50";
    workbook::Table table{result.reading.tables[0].rows, {}};
    for (const reply::ResultCell& cell : result.reading.tables[0].cells)
        table.cells.push_back({cell.row, cell.column, cell.rows, cell.columns,
                               QString::fromStdU16String(cell.words).toStdString()});
    QTemporaryDir dir;
    const std::string path = dir.filePath("t.xlsx").toStdString();
    {
        const auto bytes = workbook::OneSheetBook("page 1", {table}, {});
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    const auto sheet =
        testing_support::RunProgram("/usr/bin/unzip", {"-p", path, "xl/worksheets/sheet1.xml"});
    ASSERT_EQ(sheet.status, 0) << sheet.err;
    for (const char* part :
         {R"(<mergeCell ref="A1:A2"/>)", R"(<mergeCell ref="B1:C1"/>)",
          R"(<c r="B3" s="1"><v>1200</v></c>)", R"(<c r="C3" s="2"><v>13.5</v></c>)"})
        EXPECT_NE(sheet.out.find(part), std::string::npos) << part << " in " << sheet.out;
    const auto strings =
        testing_support::RunProgram("/usr/bin/unzip", {"-p", path, "xl/sharedStrings.xml"});
    for (const char* text : {"Region", "Half|year", "East"})
        EXPECT_NE(strings.out.find(text), std::string::npos) << text;

    const struct {
        const char* text;
        bool number;
    } cells[] = {{"12", true},     {"-3.25", true}, {"0.5", true}, {"007", false},
                 {"1,200", false}, {"12a", false},  {"", false},   {"3.", false}};
    for (const auto& c : cells)
        EXPECT_EQ(workbook::NumberOf(c.text).has_value(), c.number) << c.text;
}

}  // namespace
