#pragma once
// Pictures for recognition tests, rendered on the spot with ImageMagick and
// the Noto CJK fonts, so that the expected text is known exactly.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace ocrgated::testing {

inline const std::string kSansCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
inline const std::string kSerifCjk = "/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc";

struct Rendering {
    int width = 1000, height = 300;
    std::string font = kSansCjk;
    int pointsize = 44;
    std::vector<std::string> lines;
    std::string format = "png";        // any format ImageMagick writes
    std::string output_options;        // e.g. "-type truecolor"
    std::string coder;                 // e.g. "bmp3:" for a BMP with the classic header
    std::string background = "white";  // "none" for a transparent one
};

inline std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> Render(const Rendering& r) {
    static int counter = 0;
    const auto path =
        std::filesystem::temp_directory_path() / ("ocrgated-render-" + std::to_string(::getpid()) +
                                                  "-" + std::to_string(++counter) + "." + r.format);
    std::string command = "convert -size " + std::to_string(r.width) + "x" +
                          std::to_string(r.height) + " xc:" + r.background + " -fill black -font " +
                          Quote(r.font) + " -pointsize " + std::to_string(r.pointsize);
    const int step = r.height / int(r.lines.size() + 1);
    for (std::size_t i = 0; i < r.lines.size(); ++i) {
        command += " -annotate +" + std::to_string(r.pointsize / 2) + "+" +
                   std::to_string(step * int(i + 1) + r.pointsize / 3) + " " + Quote(r.lines[i]);
    }
    command += " " + r.output_options + " " + Quote(r.coder + path.string());
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("convert failed: " + command);
    auto bytes = ReadFile(path);
    std::filesystem::remove(path);
    return bytes;
}

}  // namespace ocrgated::testing
