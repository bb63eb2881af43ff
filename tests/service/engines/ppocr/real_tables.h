#pragma once
// Real tables with their truth: crops of tables from published PDFs (reports, papers,
// Chinese reports), each a picture and a TSV of its cells; their sources in SOURCES.md.

#include "table_pages.h"

#include <vector>

namespace quillory::testing {

// Every table of the folder, `kind` as "<kind>/<name>" (report-en/01-ghg-thresholds),
// each cell 1 x 1 at its top-left place. Throws std::runtime_error when the folder is
// unreadable.
std::vector<TablePage> LoadRealTables();

}  // namespace quillory::testing
