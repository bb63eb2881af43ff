#include "cli/options.h"

#include <charconv>

#include "ocrgate/contract.h"
#include "soap/errors.h"
#include "soap/http_url.h"

namespace cli {
namespace {

constexpr int kMaxJobs = 64;

int ParseJobs(const std::string& text) {
    int jobs = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (ec != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) {
        throw UsageError("--jobs needs a number from 1 to " + std::to_string(kMaxJobs) +
                         ", not \"" + text + "\"");
    }
    return jobs;
}

}  // namespace

Options ParseCommandLine(const std::vector<std::string>& args) {
    Options options;
    options.endpoint = std::string(ocrgate::kEndpoint);
    bool onlyPictures = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (onlyPictures || arg == "-" || !arg.starts_with("-")) {
            options.pictures.push_back(arg);
        } else if (arg == "--") {
            onlyPictures = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--jobs" || arg == "-j") {
            options.jobs = ParseJobs(value());
        } else if (arg.starts_with("--jobs=")) {
            options.jobs = ParseJobs(arg.substr(7));
        } else if (arg == "--endpoint") {
            options.endpoint = value();
        } else if (arg.starts_with("--endpoint=")) {
            options.endpoint = arg.substr(11);
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    if (options.help || options.version)
        return options;
    try {
        soap::SplitEndpoint(options.endpoint);
    } catch (const soap::ESOAPHTTPException& e) {
        throw UsageError(e.Message());
    }
    if (options.pictures.empty())
        throw UsageError("no picture given");
    return options;
}

std::string Usage() {
    return "Usage: quillory-ocr [--endpoint URL] [--json] [--jobs N] [--] PICTURE...\n"
           "Recognises the text in each PICTURE with the recognition service and prints its\n"
           "lines. A PICTURE is a file, - for standard input, or an http/https address that\n"
           "the service fetches itself.\n"
           "\n"
           "  --endpoint URL  the service (default " +
           std::string(ocrgate::kEndpoint) +
           ")\n"
           "  --json          print each reply as received, one per line\n"
           "  --jobs N        run up to N requests at once (default 1); output keeps the order\n"
           "  --help          show this text\n"
           "  --version       show the version\n"
           "\n"
           "Exit status: 0 when every picture was recognised, 1 when any failed, 2 for a usage\n"
           "error.\n";
}

}  // namespace cli
