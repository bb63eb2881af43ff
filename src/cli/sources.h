#pragma once
// What the arguments stand for: folders opened into their pictures and PDFs, PDFs into their
// pages, each with the file it writes under --output, and the up-to-date ones left out.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/options.h"

namespace cli {

struct Source {
    enum class Kind { picture, pdf, standard_input, address };
    Kind kind = Kind::picture;
    std::string name;              // the path or address as given or found
    std::filesystem::path output;  // empty: standard output
    std::vector<int> pages;        // a PDF's picked pages
    std::string error;             // when set, nothing is sent and this is reported in turn
};

// The sources of every argument in order. Lines about what is left out (files that are no
// pictures, outputs that are up to date) go to `err`.
std::vector<Source> PlanSources(const Options& options, std::FILE* err);

// The format's file name extension, with its dot.
std::string OutputExtension(Format format);

}  // namespace cli
