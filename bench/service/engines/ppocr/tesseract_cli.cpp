#include "tesseract_cli.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace bench {
namespace {

// A picture written to a file of its own, removed when done with.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::vector<std::uint8_t>& bytes) {
        const int fd = mkstemp(path_);
        if (fd < 0)
            throw std::runtime_error("cannot make a temporary file");
        close(fd);
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~TemporaryFile() { unlink(path_); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const char* path() const { return path_; }

  private:
    char path_[32] = "/tmp/quillory-peer-XXXXXX";
};

}  // namespace

std::vector<std::string> TesseractCli(const std::vector<std::uint8_t>& picture,
                                      const std::string& options) {
    const TemporaryFile file(picture);
    const std::string command =
        std::string("tesseract ") + file.path() + " - " + options + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run tesseract");
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        text.append(buffer, n);
    pipe.reset();
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find_first_not_of(" \f") != std::string::npos)
            lines.push_back(line);
    return lines;
}

}  // namespace bench
