#include "tesseract_cli.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace quillory::testing {

std::vector<ocrgated::RecognizedLine> TesseractCli::Recognize(
    std::span<const std::uint8_t> picture) {
    std::string path = (std::filesystem::temp_directory_path() / "quillory-tess-XXXXXX").string();
    const int fd = mkstemp(path.data());
    if (fd < 0)
        throw std::runtime_error("cannot create a temporary file");
    close(fd);
    struct Remove {
        std::string path;
        ~Remove() { std::filesystem::remove(path); }
    } remove{path};
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(picture.data()),
               static_cast<std::streamsize>(picture.size()));

    const std::string command = "tesseract '" + path + "' stdout -l chi_sim+eng 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run tesseract");
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        text.append(buffer, n);
    if (pclose(pipe.release()) != 0)
        throw std::runtime_error("tesseract failed");

    std::vector<ocrgated::RecognizedLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (line.find_first_not_of(" \t\f") != std::string::npos)
            lines.push_back({.words = line});
        start = end + 1;
    }
    return lines;
}

}  // namespace quillory::testing
