#include "real_sets.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

namespace quillory::testing {
namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), {}};
}

// Each file's kind, from the rows of SOURCES.md: | name | repository | … | kind | …
std::map<std::string, std::string> Kinds(const std::string& sources) {
    std::map<std::string, std::string> kinds;
    std::istringstream lines(sources);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, '|');)
            fields.push_back(field.substr(std::min(field.size(), field.find_first_not_of(' '))));
        for (std::string& field : fields)
            field.erase(field.find_last_not_of(' ') + 1);
        if (fields.size() > 6 && !fields[1].empty() && std::isdigit(fields[1][0]))
            kinds[fields[1]] = fields[6];
    }
    return kinds;
}

// The folder's truth files of `extension` by name, each with its kind.
std::vector<std::pair<std::filesystem::path, std::string>> Truths(
    const std::filesystem::path& folder, const std::string& extension) {
    const auto kinds = Kinds(Slurp(folder / "SOURCES.md"));
    std::vector<std::pair<std::filesystem::path, std::string>> truths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != extension)
            continue;
        const std::string name = entry.path().stem().string();
        const auto kind = kinds.find(name);
        if (kind == kinds.end())
            throw std::runtime_error(name + " has no row in SOURCES.md");
        truths.emplace_back(entry.path(), kind->second + "/" + name);
    }
    std::sort(truths.begin(), truths.end());
    return truths;
}

// The picture beside a truth file: a PNG, or the JPEG a scan came as.
std::vector<std::uint8_t> Picture(std::filesystem::path truth) {
    truth.replace_extension(".png");
    if (!std::filesystem::exists(truth))
        truth.replace_extension(".jpg");
    const std::string bytes = Slurp(truth);
    return {bytes.begin(), bytes.end()};
}

}  // namespace

std::vector<LayoutPage> LoadRealPages() {
    std::vector<LayoutPage> pages;
    for (const auto& [truth, kind] : Truths(REAL_PAGES_DIR, ".txt")) {
        LayoutPage& page = pages.emplace_back();
        page.kind = kind;
        std::istringstream lines(Slurp(truth));
        for (std::string line; std::getline(lines, line);)
            if (!line.empty())
                page.lines.push_back(line);
        page.png = Picture(truth);
    }
    return pages;
}

std::vector<TablePage> LoadRealTables() {
    std::vector<TablePage> tables;
    for (const auto& [truth, kind] : Truths(REAL_TABLES_DIR, ".tsv")) {
        TablePage& table = tables.emplace_back();
        table.kind = kind;
        std::istringstream rows(Slurp(truth));
        for (std::string row; std::getline(rows, row);) {
            std::istringstream cells(row);
            int column = 0;
            for (std::string words; std::getline(cells, words, '\t'); ++column)
                if (!words.empty())
                    table.cells.push_back({table.rows, column, 1, 1, words});
            table.columns = std::max(table.columns, column + (row.ends_with('\t') ? 1 : 0));
            ++table.rows;
        }
        table.png = Picture(truth);
    }
    return tables;
}

TablePage Shrunk(TablePage table, double scale) {
    if (scale >= 1)
        return table;
    table.kind += " at " + std::to_string(scale).substr(0, 4);
    cv::Mat shrunk;
    cv::resize(cv::imdecode(table.png, cv::IMREAD_UNCHANGED), shrunk, {}, scale, scale,
               cv::INTER_AREA);
    cv::imencode(".png", shrunk, table.png);
    return table;
}

}  // namespace quillory::testing
