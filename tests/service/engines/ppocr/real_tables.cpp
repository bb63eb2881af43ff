#include "real_tables.h"

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

}  // namespace

std::vector<TablePage> LoadRealTables() {
    const std::filesystem::path folder = REAL_TABLES_DIR;
    const auto kinds = Kinds(Slurp(folder / "SOURCES.md"));
    std::vector<std::filesystem::path> truths;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".tsv")
            truths.push_back(entry.path());
    std::sort(truths.begin(), truths.end());
    std::vector<TablePage> tables;
    for (const auto& truth : truths) {
        const std::string name = truth.stem().string();
        const auto kind = kinds.find(name);
        if (kind == kinds.end())
            throw std::runtime_error(name + " has no row in SOURCES.md");
        TablePage& table = tables.emplace_back();
        table.kind = kind->second + "/" + name;
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
        const std::string png = Slurp(std::filesystem::path(truth).replace_extension(".png"));
        table.png.assign(png.begin(), png.end());
    }
    return tables;
}

}  // namespace quillory::testing
