#include "service/options.h"

#include <charconv>
#include <stdexcept>
#include <thread>

#include "ocrgate/contract.h"

namespace ocrgated {
namespace {

long long ParseNumber(const std::string& option, const std::string& text, long long low,
                      long long high) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        throw std::invalid_argument(option + " needs a number from " + std::to_string(low) +
                                    " to " + std::to_string(high) + ", not \"" + text + "\"");
    }
    return value;
}

int DefaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min(cores, 8u));
}

}  // namespace

std::pair<std::string, int> ParseListenAddress(const std::string& text) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        throw std::invalid_argument("--listen needs ADDR:PORT, not \"" + text + "\"");
    }
    std::string host = text.substr(0, colon);
    if (host.front() == '[') {
        if (host.back() != ']')
            throw std::invalid_argument("--listen: unbalanced brackets in \"" + text + "\"");
        host = host.substr(1, host.size() - 2);
    }
    const int port = static_cast<int>(ParseNumber("--listen", text.substr(colon + 1), 0, 65535));
    return {host, port};
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    std::tie(line.service.host, line.service.port) =
        ParseListenAddress(std::string(ocrgate::kDefaultListen));
    line.service.threads = DefaultThreads();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--listen") {
            std::tie(line.service.host, line.service.port) = ParseListenAddress(value());
        } else if (arg == "--threads") {
            line.service.threads = static_cast<int>(ParseNumber(arg, value(), 1, 256));
        } else if (arg == "--languages") {
            line.languages = value();
            if (line.languages.empty())
                throw std::invalid_argument("--languages needs a value");
        } else if (arg == "--max-body") {
            line.service.max_body =
                static_cast<std::size_t>(ParseNumber(arg, value(), 1024, 1LL << 34));
        } else if (arg == "--allow-private-urls") {
            line.service.fetch.allow_private = true;
        } else if (arg == "--engine") {
            line.engine = value();
        } else {
            throw std::invalid_argument("Unknown option " + arg);
        }
    }
    line.service.queue_capacity = static_cast<std::size_t>(line.service.threads) * 4;
    return line;
}

std::string Usage() {
    return "Usage: ocrgated [--listen ADDR:PORT] [--threads N] [--languages chi_sim+eng]\n"
           "                [--max-body BYTES] [--allow-private-urls] [--engine ppocr|tesseract]\n"
           "                [--help] [--version]\n"
           "\n"
           "The SOAP 1.1 text recognition service. Defaults: --listen " +
           std::string(ocrgate::kDefaultListen) +
           ", one thread per core (at most 8),\n"
           "--languages chi_sim+eng, --max-body 33554432 (32 MiB), --engine ppocr when its\n"
           "models are present (else tesseract, with a warning).\n"
           "  --allow-private-urls  let `quillory` fetch from loopback and private networks\n"
           "Endpoint: POST http://ADDR:PORT" +
           std::string(ocrgate::kServicePath) +
           "; its WSDL: GET the same with ?WSDL; health: GET /healthz.\n";
}

}  // namespace ocrgated
