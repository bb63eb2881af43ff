#pragma once
// A workbook of recognised pages, written with libxlsxwriter: one sheet per picture or PDF
// page, its tables one under another (merged ranges for spanning cells, numbers as
// numbers), or its lines one per row where it has no table. The command line's xlsx files
// and the REST table endpoint's excel_file are both this book.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_format;

namespace workbook {

// A cell spanning rows [row, row + rows) and columns [column, column + columns).
struct Cell {
    int row = 0, column = 0, rows = 1, columns = 1;
    std::string text;  // UTF-8
};

struct Table {
    int rows = 0;  // of its grid
    std::vector<Cell> cells;
};

class Book {
  public:
    // Throws quillory::Exception when the file cannot be started.
    explicit Book(const std::string& path);
    ~Book();
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    // A sheet named `name` (cut to what the format allows) holding the tables, or the lines
    // one per row when there are none.
    void AddSheet(const std::string& name, const std::vector<Table>& tables,
                  const std::vector<std::string>& lines);
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

// A workbook of one sheet as its bytes, written through a temporary file; throws
// quillory::Exception.
std::vector<std::uint8_t> OneSheetBook(const std::string& name, const std::vector<Table>& tables,
                                       const std::vector<std::string>& lines);

// The number a cell's whole text is (an optional sign, digits, an optional fraction), with
// its decimal places; nothing for other text, or for digits with a leading zero (codes).
struct CellNumber {
    double value;
    int decimals;
};
std::optional<CellNumber> NumberOf(const std::string& text);

}  // namespace workbook
