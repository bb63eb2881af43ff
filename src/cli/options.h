#pragma once
// The command line of quillory-ocr.

#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

struct Options {
    std::string endpoint;  // the program's endpoint constant unless --endpoint is given
    bool json = false;
    int jobs = 1;
    bool help = false;
    bool version = false;
    std::vector<std::string> pictures;
};

// A command line that cannot be run; exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

Options ParseCommandLine(const std::vector<std::string>& args);

std::string Usage();

}  // namespace cli
