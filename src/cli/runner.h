#pragma once
// Runs a batch: every picture and PDF page of the arguments goes to the service, up to
// `jobs` at once, and each result is written in the order of the arguments as soon as it and
// all before it are done. Ctrl+C stops the run, leaving no half-written output file.

#include <cstdio>

#include "cli/options.h"

namespace cli {

// Returns the exit status: 0 when every picture succeeded, else 1; 130 when interrupted.
int RunPictures(const Options& options, std::FILE* out, std::FILE* err);

}  // namespace cli
