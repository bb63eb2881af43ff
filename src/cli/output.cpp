#include "cli/output.h"

#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "base/exception.h"
#include "base/utf.h"
#include "cli/archive_formats.h"
#include "cli/formats.h"
#include "cli/searchable_pdf.h"
#include "conversion/script_conversion.h"
#include "workbook/workbook.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

// The result with its text in another script: the reply as received, its lines and its
// tables' cells, so that every format shows the same.
PictureResult Converted(const PictureResult& result, const conversion::ScriptConverter& converter) {
    PictureResult converted = result;
    converted.reply = converter.Convert(result.reply);
    converter.Convert(converted.reading);
    return converted;
}

// The tables as a workbook's sheet holds them.
std::vector<workbook::Table> SheetTables(const std::vector<reply::ResultTable>& tables) {
    std::vector<workbook::Table> sheet;
    for (const reply::ResultTable& table : tables) {
        workbook::Table& written = sheet.emplace_back();
        written.rows = table.rows;
        for (const reply::ResultCell& cell : table.cells)
            written.cells.push_back({cell.row, cell.column, cell.rows, cell.columns,
                                     quillory::Utf16ToUtf8(cell.words)});
    }
    return sheet;
}

}  // namespace

Output::Output(const Options& options, std::FILE* out, std::size_t sources)
    : format_(options.format),
      converter_(options.convert.empty()
                     ? nullptr
                     : std::make_unique<conversion::ScriptConverter>(options.convert)),
      out_(out),
      headers_(options.output.empty() && sources > 1) {}

Output::~Output() {
    Abort();
}

std::string Output::DisplayName(const Source& source) const {
    return source.kind == Source::Kind::standard_input ? "standard input" : source.name;
}

void Output::Write(const std::string& text) {
    std::FILE* target = file_ ? file_ : out_;
    if (std::fwrite(text.data(), 1, text.size(), target) != text.size())
        throw quillory::Exception(std::string("Cannot write the output: ") + std::strerror(errno));
}

void Output::Begin(const Source& source) {
    pages_written_ = 0;
    csv_tables_.clear();
    if (source.output.empty())
        return;
    std::error_code ec;
    fs::create_directories(source.output.parent_path(), ec);
    const fs::path temporary =
        source.output.parent_path() /
        ("." + source.output.filename().string() + ".part-" + std::to_string(::getpid()));
    temporary_ = temporary.string();
    if (format_ == Format::pdf) {
        pdf_ = std::make_unique<SearchablePdf>(QString::fromStdString(temporary_));
        return;
    }
    if (format_ == Format::xlsx) {
        xlsx_ = std::make_unique<workbook::Book>(temporary_);
        return;
    }
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (!file_) {
        const std::string message = std::strerror(errno);
        temporary_.clear();
        throw quillory::Exception("Cannot create " + temporary.string() + ": " + message);
    }
    if (format_ == Format::tsv)
        Write(TsvHeader());
}

void Output::Page(const Source& source, int page, const PageResult& page_result) {
    std::optional<PictureResult> converted;
    if (converter_)
        converted = Converted(page_result.result, *converter_);
    const PictureResult& result = converted ? *converted : page_result.result;
    const bool first = pages_written_++ == 0;
    switch (format_) {
        case Format::text:
        case Format::md:
            if (first && headers_) {
                Write((first_block_ ? "==> " : "\n==> ") + DisplayName(source) + " <==\n");
            }
            if (!first)  // pages part as in other tools' text of a PDF, or by a rule
                Write(format_ == Format::md ? "\n---\n\n" : "\f\n");
            Write(format_ == Format::md ? MarkdownText(result) : TextLines(result));
            break;
        case Format::jsonl:
            Write(JsonLine(result));
            break;
        case Format::html:
            if (first)
                Write(HtmlHead() +
                      (headers_ ? "<h1>" + DisplayName(source) + "</h1>\n" : std::string()));
            else
                Write("<hr>\n");
            Write(HtmlBody(result));
            break;
        case Format::xlsx: {
            std::vector<std::string> lines;
            for (const reply::ResultLine& line : result.reading.lines)
                lines.push_back(quillory::Utf16ToUtf8(line.words));
            xlsx_->AddSheet(source.kind == Source::Kind::pdf
                                ? "Page " + std::to_string(page)
                                : fs::path(DisplayName(source)).stem().string(),
                            SheetTables(result.reading.tables), lines);
            break;
        }
        case Format::csv:
            // A file per table: kept until the source is done, the first in the source's own
            // file. On standard output an empty line parts them.
            for (std::string& table : CsvTables(result)) {
                if (file_) {
                    csv_tables_.push_back(std::move(table));
                    continue;
                }
                if (csv_written_)
                    Write("\r\n");
                csv_written_ = true;
                Write(table);
            }
            break;
        case Format::hocr:
        case Format::alto: {
            // Numbered through the document: its ids must differ from page to page.
            const PageGeometry geometry{archive_pages_ + 1, source.kind == Source::Kind::standard_input
                                                  ? std::string()
                                                  : fs::path(DisplayName(source)).filename().string(),
                                        page_result.width, page_result.height};
            if (format_ == Format::hocr)
                Write((first && archive_pages_ == 0 ? HocrHead() : "") +
                      HocrPage(geometry, result));
            else
                Write((first && archive_pages_ == 0 ? AltoHead(geometry.image) : "") +
                      AltoPage(geometry, result));
            ++archive_pages_;
            break;
        }
        case Format::tsv:
            if (!file_ && !tsv_header_done_)
                Write(TsvHeader());
            tsv_header_done_ = true;
            Write(TsvRows(DisplayName(source), page, result));
            break;
        case Format::pdf: {
            QImage picture;
            picture.loadFromData(page_result.picture.data(),
                                 static_cast<int>(page_result.picture.size()));
            if (picture.isNull())
                throw quillory::Exception("The picture cannot be drawn into a PDF");
            // A picture file keeps the resolution it declares (Qt reads 96 dpi where it
            // declares none).
            const int dpi = page_result.dpi > 0
                                ? page_result.dpi
                                : std::max(1, qRound(picture.dotsPerMeterX() * 0.0254));
            pdf_->AddPage(picture, dpi, result.reading.lines, result.reading.paragraphs);
            break;
        }
    }
    first_block_ = false;
    if (!file_ && !pdf_ && !xlsx_)
        std::fflush(out_);
}

void Output::End(const Source& source, bool complete) {
    if (format_ == Format::html && pages_written_ > 0)
        Write(HtmlFoot());
    // A file per source holds one document; standard output one for all the sources.
    if ((format_ == Format::hocr || format_ == Format::alto) && archive_pages_ > 0 && file_) {
        Write(format_ == Format::hocr ? HocrFoot() : AltoFoot());
        archive_pages_ = 0;
    }
    if (temporary_.empty())
        return;
    try {
        if (pdf_ && complete)
            pdf_->Finish();
        if (xlsx_ && complete)
            xlsx_->Finish();
    } catch (...) {
        Abort();
        throw;
    }
    pdf_.reset();
    xlsx_.reset();
    std::string failure;
    try {
        if (complete && !csv_tables_.empty()) {
            Write(csv_tables_.front());
            for (std::size_t k = 1; k < csv_tables_.size(); ++k)
                WriteFile(NumberedTable(source.output, k + 1), csv_tables_[k]);
        }
    } catch (...) {
        Abort();
        throw;
    }
    csv_tables_.clear();
    if (file_ && std::fclose(file_) != 0)
        failure = std::strerror(errno);
    file_ = nullptr;
    if (complete && failure.empty() && std::rename(temporary_.c_str(), source.output.c_str()) != 0)
        failure = std::strerror(errno);
    if (!complete || !failure.empty())
        std::remove(temporary_.c_str());
    temporary_.clear();
    if (!failure.empty())
        throw quillory::Exception("Cannot write " + source.output.string() + ": " + failure);
}

fs::path NumberedTable(const fs::path& first, std::size_t number) {
    return first.parent_path() /
           (first.stem().string() + "-" + std::to_string(number) + first.extension().string());
}

void Output::WriteFile(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.parent_path() / ("." + path.filename().string() + ".part-" +
                                                     std::to_string(::getpid()));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(temporary.c_str(), "wb"),
                                                         std::fclose);
    bool written = file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    written = file && std::fclose(file.release()) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string message = std::strerror(errno);
        std::remove(temporary.c_str());
        throw quillory::Exception("Cannot write " + path.string() + ": " + message);
    }
}

void Output::Close() {
    if ((format_ == Format::hocr || format_ == Format::alto) && archive_pages_ > 0 && !file_)
        Write(format_ == Format::hocr ? HocrFoot() : AltoFoot());
    archive_pages_ = 0;
}

void Output::Abort() {
    pdf_.reset();
    xlsx_.reset();
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty())
        std::remove(temporary_.c_str());
    temporary_.clear();
}

}  // namespace cli
