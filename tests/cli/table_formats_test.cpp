// A recognised table in the command line's formats: Markdown among the paragraphs, HTML
// with its spans, CSV with merged cells repeated.

#include <gtest/gtest.h>

#include "cli/formats.h"

namespace {

using reply::LineLocation;

TEST(TableFormats, EachFormatKeepsRowsColumnsAndSpans) {
    cli::PictureResult result;
    result.ok = true;
    // A paragraph above a 3 x 3 table whose first header cell spans two rows and whose
    // second spans two columns.
    result.lines = {{u"Sales, \"2026\"", LineLocation{10, 10, 200, 20}, 0.9},
                    {u"Region", LineLocation{10, 60, 60, 20}, 0.9},
                    {u"Half|year", LineLocation{110, 60, 80, 20}, 0.9}};
    result.paragraphs = {{0}, {1, 2}};
    reply::ResultTable table;
    table.rows = table.columns = 3;
    table.bounds = LineLocation{0, 50, 300, 150};
    table.cells = {{0, 0, 2, 1, u"Region"}, {0, 1, 1, 2, u"Half|year"}, {1, 1, 1, 1, u"H1"},
                   {1, 2, 1, 1, u"H2"},     {2, 0, 1, 1, u"East"},      {2, 1, 1, 1, u"1,200"},
                   {2, 2, 1, 1, u"1,350"}};
    result.tables = {table};

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
                                 : format == "csv" ? cli::CsvTables(result)
                                                   : cli::HtmlBody(result);
        EXPECT_EQ(text, c.text) << format;
    }
}

}  // namespace
