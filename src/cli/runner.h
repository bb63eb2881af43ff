#pragma once
// Runs the pictures' requests, up to `jobs` at once, and prints each result in the order
// of the arguments as soon as it and all before it are done.

#include <cstdio>

#include "cli/options.h"

namespace cli {

// Returns the exit status: 0 when every picture succeeded, else 1.
int RunPictures(const Options& options, std::FILE* out, std::FILE* err);

}  // namespace cli
