#pragma once
// Real material with its truth, each folder's sources in its SOURCES.md: crops of tables
// from published PDFs (reports, papers, Chinese reports), each a picture and a TSV of its
// cells; whole pages of published PDFs, each a picture and its lines in reading order.

#include "layout_pages.h"
#include "table_pages.h"

#include <vector>

namespace quillory::testing {

// Every table of the folder, `kind` as "<kind>/<name>" (report-en/01-ghg-thresholds),
// each cell 1 x 1 at its top-left place. Throws std::runtime_error when the folder is
// unreadable.
std::vector<TablePage> LoadRealTables();

// The table as a crop from a page shown at lower resolution shows it: its picture shrunk
// to `scale` of its size, pixels averaged, and " at <scale>" after its kind.
TablePage Shrunk(TablePage table, double scale);

// Every page of the folder, `kind` as "<kind>/<name>" (paper-2col/01-…); no paragraph count.
std::vector<LayoutPage> LoadRealPages();

}  // namespace quillory::testing
