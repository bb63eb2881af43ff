#pragma once
// Where results go: standard output, or with --output one file per source, written under a
// temporary name and renamed only when the whole source succeeded, so that no half-written
// output is ever left and a rerun redoes exactly what failed.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/picture_job.h"
#include "cli/sources.h"

namespace cli {

class SearchablePdf;
}  // namespace cli
namespace conversion {
class ScriptConverter;
}
namespace workbook {
class Book;
}
namespace cli {

struct PageResult {
    PictureResult result;
    std::vector<std::uint8_t> picture;  // the bytes sent; kept only for --format pdf
    int dpi = 0;                        // a rendered page's resolution; 0 for a picture file
    int width = 0, height = 0;          // the picture's size; 0 for an address
};

// A source's n-th table's CSV beside its first: NAME.csv, NAME-2.csv, NAME-3.csv...
std::filesystem::path NumberedTable(const std::filesystem::path& first, std::size_t number);

class Output {
  public:
    Output(const Options& options, std::FILE* out, std::size_t sources);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // The pages of one source, in order; throw quillory::Exception when a file cannot be
    // written. End commits the file when `complete`, else drops it.
    void Begin(const Source& source);
    void Page(const Source& source, int page, const PageResult& page_result);
    void End(const Source& source, bool complete);
    // Ends what standard output holds across the sources (an hOCR or ALTO document).
    void Close();
    // Drops the file in progress, if any.
    void Abort();

  private:
    void Write(const std::string& text);
    // A whole file, under a temporary name until it is complete.
    static void WriteFile(const std::filesystem::path& path, const std::string& text);
    std::string DisplayName(const Source& source) const;

    Format format_;
    std::unique_ptr<conversion::ScriptConverter> converter_;  // --convert; none without
    std::FILE* out_;
    bool headers_;  // "==> NAME <==" before each source's text on standard output
    bool first_block_ = true;
    bool tsv_header_done_ = false;
    int pages_written_ = 0;                // of the current source
    int archive_pages_ = 0;                // hOCR or ALTO pages in the open document
    bool csv_written_ = false;             // a table went to standard output
    std::vector<std::string> csv_tables_;  // the current source's, for its files
    std::string temporary_;                // the file in progress
    std::FILE* file_ = nullptr;
    std::unique_ptr<SearchablePdf> pdf_;
    std::unique_ptr<workbook::Book> xlsx_;
};

}  // namespace cli
