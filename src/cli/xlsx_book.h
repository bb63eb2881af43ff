#pragma once
// A workbook of recognised pages: one sheet per picture or PDF page, its tables one under
// another (merged ranges for spanning cells, numbers as numbers), or its lines one per row
// where it has no table.

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "cli/picture_job.h"

struct lxw_workbook;
struct lxw_format;

namespace cli {

class XlsxBook {
  public:
    // Throws quillory::Exception when the file cannot be started.
    explicit XlsxBook(const std::string& path);
    ~XlsxBook();
    XlsxBook(const XlsxBook&) = delete;
    XlsxBook& operator=(const XlsxBook&) = delete;

    // A sheet named `name` (cut to what the format allows) holding the page's tables.
    void AddSheet(const std::string& name, const PictureResult& result);
    // Writes the file; throws quillory::Exception when it could not be written.
    void Finish();

  private:
    // The format that shows a number with `decimals` places, as the page did.
    lxw_format* NumberFormat(int decimals);

    std::string path_;
    lxw_workbook* book_ = nullptr;
    std::map<int, lxw_format*> formats_;  // owned by the book
    int sheets_ = 0;
};

// The number a cell's whole text is (an optional sign, digits, an optional fraction), with
// its decimal places; nothing for other text, or for digits with a leading zero (codes).
struct CellNumber {
    double value;
    int decimals;
};
std::optional<CellNumber> NumberOf(const std::string& text);

}  // namespace cli
