#include "workbook/workbook.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "base/exception.h"

namespace workbook {
namespace {

// What a sheet name may not hold, and how long it may be.
std::string SheetName(const std::string& wanted, int number) {
    std::string name;
    for (char c : wanted)
        if (std::string_view("[]:*?/\\").find(c) == std::string_view::npos)
            name += c;
    // Cut at a character's start, within the limit of 31 characters (bytes suffice).
    if (name.size() > 28) {
        std::size_t at = 28;
        while (at > 0 && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80)
            --at;
        name.resize(at);
    }
    return name.empty() ? "Sheet " + std::to_string(number) : name;
}

void Check(lxw_error error, const std::string& what) {
    if (error != LXW_NO_ERROR)
        throw quillory::Exception("Cannot write the workbook (" + what +
                                  "): " + lxw_strerror(error));
}

}  // namespace

std::optional<CellNumber> NumberOf(const std::string& text) {
    std::size_t digits_at = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
    const std::size_t point = text.find('.');
    const std::string_view whole = std::string_view(text).substr(
        digits_at, point == std::string::npos ? text.npos : point - digits_at);
    if (whole.empty() || (whole.size() > 1 && whole.front() == '0'))
        return std::nullopt;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!std::all_of(whole.begin(), whole.end(), digit))
        return std::nullopt;
    int decimals = 0;
    if (point != std::string::npos) {
        const std::string_view fraction = std::string_view(text).substr(point + 1);
        if (fraction.empty() || !std::all_of(fraction.begin(), fraction.end(), digit))
            return std::nullopt;
        decimals = static_cast<int>(fraction.size());
    }
    double value = 0;
    const char* start = text.data() + (text.starts_with('+') ? 1 : 0);
    const auto [end, error] = std::from_chars(start, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return CellNumber{value, decimals};
}

Book::Book(const std::string& path) : path_(path), book_(workbook_new(path.c_str())) {
    if (!book_)
        throw quillory::Exception("Cannot create the workbook " + path);
}

Book::~Book() {
    // Unfinished, it is written and then removed by whoever owns its file.
    if (book_)
        workbook_close(book_);
}

lxw_format* Book::NumberFormat(int decimals) {
    auto& format = formats_[decimals];
    if (!format) {
        format = workbook_add_format(book_);
        const std::string pattern = decimals > 0 ? "0." + std::string(decimals, '0') : "0";
        format_set_num_format(format, pattern.c_str());
    }
    return format;
}

void Book::AddSheet(const std::string& name, const std::vector<Table>& tables,
                    const std::vector<std::string>& lines) {
    ++sheets_;
    lxw_worksheet* sheet = workbook_add_worksheet(book_, SheetName(name, sheets_).c_str());
    if (!sheet)  // a name the book already has
        sheet = workbook_add_worksheet(book_, nullptr);
    if (!sheet)
        throw quillory::Exception("Cannot add a sheet to the workbook " + path_);
    const auto write = [&](int row, int column, const std::string& text) {
        if (const auto number = NumberOf(text))
            Check(worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(column), number->value,
                                         NumberFormat(number->decimals)),
                  "a number");
        else if (!text.empty())
            Check(worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), text.c_str(),
                                         nullptr),
                  "a text");
    };
    int top = 0;
    if (tables.empty()) {
        for (const std::string& line : lines)
            write(top++, 0, line);
        return;
    }
    for (const Table& table : tables) {
        for (const Cell& cell : table.cells) {
            const int row = top + cell.row, column = cell.column;
            if (cell.rows > 1 || cell.columns > 1)
                Check(worksheet_merge_range(sheet, lxw_row_t(row), lxw_col_t(column),
                                            lxw_row_t(row + cell.rows - 1),
                                            lxw_col_t(column + cell.columns - 1), "", nullptr),
                      "a merged cell");
            write(row, column, cell.text);
        }
        top += table.rows + 1;  // an empty row between two tables
    }
}

void Book::Finish() {
    lxw_workbook* book = std::exchange(book_, nullptr);
    if (sheets_ == 0)
        workbook_add_worksheet(book, nullptr);  // a workbook needs a sheet to open
    Check(workbook_close(book), path_);
}

}  // namespace workbook

namespace workbook {

std::vector<std::uint8_t> OneSheetBook(const std::string& name, const std::vector<Table>& tables,
                                       const std::vector<std::string>& lines) {
    // libxlsxwriter writes files only: one of our own, gone whatever happens.
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/quillory-book-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        throw quillory::Exception("Cannot create a temporary workbook in " + path);
    ::close(fd);
    struct Removed {
        const std::string& path;
        ~Removed() { ::unlink(path.c_str()); }
    } removed{path};
    Book book(path);
    book.AddSheet(name, tables, lines);
    book.Finish();
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (bytes.empty())
        throw quillory::Exception("Cannot read back the workbook " + path);
    return bytes;
}

}  // namespace workbook
