#pragma once
// The command line of quillory-ocr, parsed with CLI11.

#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

enum class Format { text, md, jsonl, tsv, pdf, html, csv, xlsx, hocr, alto };

// Pages picked with --pages: closed ranges, 1-based; `last` 0 runs to the end.
struct PageRange {
    int first = 1;
    int last = 0;
};

struct Options {
    std::string endpoint;  // the program's endpoint constant unless --endpoint is given
    Format format = Format::text;
    int jobs = 1;
    bool recursive = false;
    int dpi = 200;
    std::vector<PageRange> pages;  // empty: every page
    std::string output;            // a folder for one output file per input; empty: stdout
    std::string convert;           // a script conversion (s2t, t2s…) for every output; empty: none
    bool table = false;  // each picture is one table; the endpoint asks for it
    bool force = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> pictures;  // files, folders, PDFs, "-" or addresses
};

// A command line that cannot be run; exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

Options ParseCommandLine(const std::vector<std::string>& args);

std::string Usage();

// "1-3,7,9-" into ranges; throws UsageError.
std::vector<PageRange> ParsePages(const std::string& text);

// The pages of a `count`-page document that `ranges` pick, ascending, each once; pages past
// the end are left out.
std::vector<int> PickPages(const std::vector<PageRange>& ranges, int count);

}  // namespace cli
