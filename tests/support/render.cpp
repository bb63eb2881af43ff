#include "support/render.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testing_support {
namespace {

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A fresh name in the temporary folder, unique within the process.
std::filesystem::path TemporaryPath(const std::string& extension) {
    static std::atomic<int> counter = 0;
    return std::filesystem::temp_directory_path() /
           ("quillory-render-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) +
            "." + extension);
}

}  // namespace

void RenderTextFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    Rendering picture;
    picture.width = 900;
    picture.height = 110 * static_cast<int>(lines.size()) + 60;
    picture.pointsize = 48;
    picture.left = 40;
    picture.lines = lines;
    RenderFile(picture, path);
}

void RenderFile(const Rendering& r, const std::filesystem::path& path) {
    std::string command = "convert -size " + std::to_string(r.width) + "x" +
                          std::to_string(r.height) + " xc:" + r.background + " -fill black -font " +
                          Quote(r.font) + " -pointsize " + std::to_string(r.pointsize);
    const int step = r.height / int(r.lines.size() + 1);
    for (std::size_t i = 0; i < r.lines.size(); ++i) {
        command += " -annotate +" + std::to_string(r.left > 0 ? r.left : r.pointsize / 2) + "+" +
                   std::to_string(step * int(i + 1) + r.pointsize / 3) + " " + Quote(r.lines[i]);
    }
    command += " " + r.output_options + " " + Quote(r.coder + path.string()) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("convert failed: " + command);
}

std::vector<std::uint8_t> Render(const Rendering& r) {
    static std::atomic<int> counter = 0;
    const auto path =
        std::filesystem::temp_directory_path() / ("quillory-render-" + std::to_string(::getpid()) +
                                                  "-" + std::to_string(++counter) + "." + r.format);
    RenderFile(r, path);
    auto bytes = ReadFile(path);
    std::filesystem::remove(path);
    return bytes;
}

std::vector<std::uint8_t> ConvertToPng(const std::vector<std::uint8_t>& bytes,
                                       const std::string& format) {
    const auto in = TemporaryPath(format), out = TemporaryPath("png");
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const std::string command =
        "convert " + Quote(in.string()) + " " + Quote("png:" + out.string()) + " >/dev/null 2>&1";
    const bool converted = std::system(command.c_str()) == 0;
    auto png = converted ? ReadFile(out) : std::vector<std::uint8_t>{};
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return png;
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace testing_support
