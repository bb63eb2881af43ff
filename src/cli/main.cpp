// quillory-ocr: recognition from the command line.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/runner.h"

int main(int argc, char** argv) {
    cli::Options options;
    try {
        options = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& e) {
        std::fprintf(stderr, "quillory-ocr: %s\n\n%s", e.what(), cli::Usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(cli::Usage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("quillory-ocr " QUILLORY_VERSION);
        return 0;
    }
    const int status = cli::RunPictures(options, stdout, stderr);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "quillory-ocr: cannot write the output\n");
        return 1;
    }
    return status;
}
