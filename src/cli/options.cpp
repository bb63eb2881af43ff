#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <map>

#include "cli/picture_job.h"
#include "contract/contract.h"
#include "conversion/script_conversion.h"
#include "soap/errors.h"
#include "soap/http_url.h"

namespace cli {
namespace {

constexpr int kMaxJobs = 64;

const std::map<std::string, Format> kFormats = {{"text", Format::text},
                                                {"md", Format::md},
                                                {"jsonl", Format::jsonl},
                                                {"tsv", Format::tsv},
                                                {"pdf", Format::pdf},
                                                {"html", Format::html},
                                                {"csv", Format::csv},
                                                {"xlsx", Format::xlsx},
                                                {"hocr", Format::hocr},
                                                {"alto", Format::alto}};

int PageNumber(std::string_view text, const std::string& whole) {
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 1)
        throw UsageError("--pages needs page numbers and ranges such as 1-3,7 , not \"" + whole +
                         "\"");
    return n;
}

// Binds every option of the program to `options`.
void Describe(CLI::App& app, Options& options) {
    app.set_help_flag("-h,--help", "show this text");
    app.add_flag("--version", options.version, "show the version");
    app.add_option("--endpoint", options.endpoint, "the recognition service")
        ->default_str(std::string(ocrgate::kEndpoint))
        ->type_name("URL");
    app.add_option_function<std::string>(
           "-f,--format",
           [&options](const std::string& name) { options.format = kFormats.at(name); },
           "text (the lines), md (the paragraphs, an empty line between two), jsonl (each reply as "
           "received, one per line), tsv (one row "
           "per line with its box and confidence), pdf (a searchable PDF; needs --output), html "
           "(paragraphs and tables, merged cells spanning), csv (each table; with --output a file "
           "per table, NAME.csv, NAME-2.csv...), xlsx (a workbook, a sheet per picture or page; "
           "needs --output), hocr and alto (each line and word with its box, for archives and "
           "PDF tools)")
        ->check(CLI::IsMember({"text", "md", "jsonl", "tsv", "pdf", "html", "csv", "xlsx", "hocr",
                               "alto"})
                    .description(""))
        ->type_name("FORMAT")
        ->default_str("text");
    app.add_flag_callback(
        "--json", [&options] { options.format = Format::jsonl; }, "the same as --format jsonl");
    app.add_option("-j,--jobs", options.jobs,
                   "run up to N requests at once; output keeps the order")
        ->check(CLI::Range(1, kMaxJobs).description(""))
        ->type_name("N")
        ->default_val(1);
    app.add_flag("-r,--recursive", options.recursive, "descend into the folders inside folders");
    app.add_option("--dpi", options.dpi,
                   "render PDF pages at this resolution, lowered where a page would exceed the "
                   "service's picture limits")
        ->check(CLI::Range(30, 1200).description(""))
        ->type_name("N")
        ->default_val(200);
    app.add_option_function<std::string>(
           "--pages", [&options](const std::string& text) { options.pages = ParsePages(text); },
           "the pages of each PDF to recognise, such as 1-3,7 or 5-")
        ->type_name("LIST");
    app.add_option("-o,--output", options.output,
                   "write one file per picture or PDF under DIR, mirroring the input tree, "
                   "instead of standard output; outputs newer than their input are kept")
        ->type_name("DIR");
    app.add_option("--convert", options.convert,
                   "convert the Chinese text of every output: s2t (Simplified to Traditional), "
                   "t2s, s2tw and tw2s (Taiwan), s2hk and hk2s (Hong Kong)")
        ->check(CLI::IsMember(conversion::ConversionNames()).description(""))
        ->type_name("CONVERSION");
    app.add_flag("--table", options.table,
                 "each picture is one table (a crop of a table, with rules or without): read it "
                 "into cells even where the service would not find a table by itself");
    app.add_flag("--force", options.force, "with --output, redo outputs that are up to date");
    app.add_flag("-q,--quiet", options.quiet, "no progress display");
    app.add_option("PICTURE", options.pictures, "what to recognise")->type_name("");
    app.footer(
        "A PICTURE is a picture file, a PDF (each page is recognised), a folder (every picture\n"
        "and PDF in it, by name), - for standard input, or an http/https address that the\n"
        "service fetches itself.\n"
        "\n"
        "Exit status: 0 when every picture was recognised, 1 when any failed, 2 for a usage\n"
        "error, 130 when interrupted.");
}

}  // namespace

std::vector<PageRange> ParsePages(const std::string& text) {
    std::vector<PageRange> ranges;
    std::string_view rest = text;
    while (true) {
        const auto comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        const auto dash = item.find('-');
        PageRange range;
        if (dash == std::string_view::npos) {
            range.first = range.last = PageNumber(item, text);
        } else {
            range.first = PageNumber(item.substr(0, dash), text);
            range.last = dash + 1 == item.size() ? 0 : PageNumber(item.substr(dash + 1), text);
            if (range.last != 0 && range.last < range.first)
                PageNumber("", text);  // a backward range
        }
        ranges.push_back(range);
        if (comma == std::string_view::npos)
            return ranges;
        rest.remove_prefix(comma + 1);
    }
}

std::vector<int> PickPages(const std::vector<PageRange>& ranges, int count) {
    std::vector<int> pages;
    if (ranges.empty()) {
        for (int p = 1; p <= count; ++p)
            pages.push_back(p);
        return pages;
    }
    for (const PageRange& r : ranges) {
        for (int p = r.first; p <= std::min(r.last == 0 ? count : r.last, count); ++p)
            pages.push_back(p);
    }
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    return pages;
}

Options ParseCommandLine(const std::vector<std::string>& args) {
    Options options;
    options.endpoint = std::string(ocrgate::kEndpoint);
    CLI::App app("", "quillory-ocr");
    Describe(app, options);
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 reads from the back
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        options.help = true;
        return options;
    } catch (const CLI::ParseError& e) {
        throw UsageError(e.what());
    }
    if (options.version)
        return options;
    try {
        soap::SplitEndpoint(options.endpoint);
    } catch (const soap::ESOAPHTTPException& e) {
        throw UsageError(e.Message());
    }
    // The service reads what is asked of it from its address's query, before any fragment.
    const auto ask = [&endpoint = options.endpoint](const char* item) {
        const std::size_t fragment = std::min(endpoint.find('#'), endpoint.size());
        endpoint.insert(fragment, (endpoint.find('?') < fragment ? "&" : "?") + std::string(item));
    };
    if (options.table)
        ask("layout=table");
    // The archive formats place each character where the service knows them.
    if (options.format == Format::hocr || options.format == Format::alto)
        ask("recognize_granularity=small");
    if (options.pictures.empty())
        throw UsageError("no picture given");
    if (options.format == Format::pdf && options.output.empty())
        throw UsageError("--format pdf writes files: it needs --output DIR");
    if (options.format == Format::xlsx && options.output.empty())
        throw UsageError("--format xlsx writes files: it needs --output DIR");
    if (!options.output.empty()) {
        for (const std::string& p : options.pictures) {
            if (p == "-" || IsAddress(p))
                throw UsageError("--output writes files for files and folders, not for " + p);
        }
    }
    if (options.force && options.output.empty())
        throw UsageError("--force needs --output DIR");
    return options;
}

std::string Usage() {
    Options options;
    CLI::App app("", "quillory-ocr");
    Describe(app, options);
    return app.help();
}

}  // namespace cli
