#pragma once
// Pictures for recognition tests and benchmarks, rendered on the spot with ImageMagick and
// the Noto CJK fonts, so that the expected text is known exactly.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

inline const std::string kSansCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
inline const std::string kSerifCjk = "/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc";

struct Rendering {
    int width = 1000, height = 300;
    std::string font = kSansCjk;
    int pointsize = 44;
    std::vector<std::string> lines;    // black on the background, spread evenly down the picture
    std::string format = "png";        // any format ImageMagick writes
    std::string output_options;        // e.g. "-type truecolor"
    std::string coder;                 // e.g. "bmp3:" for a BMP with the classic header
    std::string background = "white";  // "none" for a transparent one
    int left = 0;                      // the lines' left edge; 0 is half the point size
};

// Writes the picture to `path`, in the format its name or coder says; throws
// std::runtime_error when ImageMagick fails.
void RenderFile(const Rendering& rendering, const std::filesystem::path& path);

// Black lines of 48-point text on a white picture 900 wide, 110 pixels apart: what the
// command line's tests and benchmarks read.
void RenderTextFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

// The picture's bytes in `rendering.format`.
std::vector<std::uint8_t> Render(const Rendering& rendering);

// The picture ImageMagick reads from `bytes`, a file of type `format` such as "bmp",
// written as a PNG; empty when ImageMagick cannot read it.
std::vector<std::uint8_t> ConvertToPng(const std::vector<std::uint8_t>& bytes,
                                       const std::string& format);

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

}  // namespace testing_support
