#pragma once
// The everyday pictures the engine is timed on, rendered with ImageMagick and
// the Noto CJK fonts as files, so that a program of another maker can read
// the very same bytes.

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct BenchPicture {
    std::string name;
    std::filesystem::path path;
};

// Renders the set into directory (created when missing); throws when
// ImageMagick fails.
std::vector<BenchPicture> RenderBenchPictures(const std::filesystem::path& directory);

}  // namespace bench
