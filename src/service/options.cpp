#include "service/options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <stdexcept>
#include <thread>

#include "contract/contract.h"
#include "service/engines/cores.h"
#include "service/rest/rest_call.h"

namespace ocrgated {
namespace {

int DefaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min(cores, 8u));
}

std::chrono::milliseconds Milliseconds(double seconds) {
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0));
}

// Values that are not plain fields: read as text or seconds, turned into
// their final form after parsing.
struct Raw {
    std::string listen{ocrgate::kDefaultListen};
    double drain_delay = 5, drain_timeout = 25, request_timeout = 15, max_seconds = 30;
    std::optional<std::size_t> queue, max_fetches;
    double token_lifetime = 30 * 24 * 3600;
};

void Describe(CLI::App& app, CommandLine& line, Raw& raw) {
    auto& service = line.service;
    app.set_help_flag("-h,--help", "Show this text");
    app.add_flag("--version", line.version, "Show the version");
    app.add_option("--listen", raw.listen, "ADDR:PORT to listen on")->capture_default_str();
    app.add_option("--threads", service.threads,
                   "Recognition workers (default: one per core, "
                   "at most 8)")
        ->check(CLI::Range(1, 256));
    app.add_option("--queue", raw.queue,
                   "Recognitions that may wait for a worker (default: 4 per worker)")
        ->check(CLI::Range(1, 4096));
    app.add_option("--engine", line.engine,
                   "ppocr or tesseract (default: ppocr when its "
                   "models are present)");
    app.add_option("--languages", line.engine_settings.languages, "Tesseract's languages")
        ->capture_default_str()
        ->check(CLI::Validator(
            [](std::string& text) {
                return text.empty() ? std::string("needs a value") : std::string();
            },
            "TEXT"));
    auto& ppocr = line.engine_settings;
    app.add_option("--ppocr-detection-side", ppocr.detection_side,
                   "Longest side, in pixels, that PP-OCR's detector sees (default 960)")
        ->check(CLI::Range(64, 4096));
    app.add_option("--ppocr-box-threshold", ppocr.box_threshold,
                   "Mean text probability a detected box needs (default 0.6)")
        ->check(CLI::Range(0.0f, 1.0f));
    app.add_option("--ppocr-unclip-ratio", ppocr.unclip_ratio,
                   "How far a detected text kernel grows back (default 1.5)")
        ->check(CLI::Range(1.0f, 4.0f));
    app.add_option("--ppocr-min-confidence", ppocr.min_line_confidence,
                   "Lines PP-OCR reads with less mean confidence are dropped (default 0.5)")
        ->check(CLI::Range(0.0f, 1.0f));
    app.add_option("--max-seconds", raw.max_seconds,
                   "Seconds one recognition may run; the engine stops between stages after")
        ->capture_default_str()
        ->check(CLI::Range(0.1, 3600.0));
    app.add_option("--max-picture-memory", service.recognition.max_picture_memory,
                   "Working memory one picture may take in its engine, estimated from its "
                   "header before decoding (bytes; K, M, G suffixes count in 1024s)")
        ->capture_default_str()
        ->transform(CLI::AsSizeValue(false))
        ->check(CLI::Range(std::uint64_t{1} << 20, std::uint64_t{1} << 40));
    app.add_option("--max-body", service.max_body, "Largest request body in bytes")
        ->capture_default_str()
        ->check(CLI::Range(std::size_t{1024}, std::size_t{1} << 34));
    app.add_flag("--allow-private-urls", service.fetch.allow_private,
                 "Let `quillory` fetch from loopback and private networks");
    app.add_option("--max-fetches", raw.max_fetches,
                   "Address fetches at once (default: 2 per worker)")
        ->check(CLI::Range(1, 1024));
    app.add_option("--public-url", service.public_url,
                   "The endpoint address the WSDL names (default: the listen address)");
    app.add_option("--request-timeout", raw.request_timeout,
                   "Seconds a request's head and body may take to arrive")
        ->capture_default_str()
        ->check(CLI::Range(0.1, 3600.0));
    app.add_option("--max-connections", service.max_connections, "Open connections at most")
        ->capture_default_str()
        ->check(CLI::Range(std::size_t{1}, std::size_t{1} << 20));
    app.add_option("--max-connections-per-client", service.max_per_client,
                   "Open connections from one address at most")
        ->capture_default_str()
        ->check(CLI::Range(std::size_t{1}, std::size_t{1} << 20));
    app.add_option("--drain-delay", raw.drain_delay,
                   "Seconds to keep taking work after SIGTERM, not ready, so that a balancer "
                   "notices")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 3600.0));
    app.add_option("--drain-timeout", raw.drain_timeout,
                   "Seconds from SIGTERM until the process exits, finished or not")
        ->capture_default_str()
        ->check(CLI::Range(0.1, 3600.0));
    app.add_option("--api-keys", service.api_keys,
                   "The REST endpoints' key pairs, one \"id secret\" per line, in a file only "
                   "its owner may read; each call then needs an access_token from "
                   "/oauth/2.0/token (default: the endpoints are open)");
    app.add_option("--token-lifetime", raw.token_lifetime, "Seconds an access_token lasts")
        ->capture_default_str()
        ->check(CLI::Range(1.0, 10.0 * 365 * 24 * 3600));
    app.add_option("--log-file", line.log_file,
                   "Append the log here instead of standard error; SIGHUP reopens it");
    app.footer("Endpoint: POST http://ADDR:PORT" + std::string(ocrgate::kServicePath) +
               "; its WSDL: GET the same with ?WSDL.\n"
               "REST: POST http://ADDR:PORT/rest/2.0/ocr/v1/{general_basic,accurate_basic,general,"
               "accurate}; language_type (CHN_ENG by default): " +
               RestLanguagesHelp() + ".\n"
               "Liveness: GET /healthz; readiness: GET /readyz; Prometheus metrics: GET /metrics.\n"
               "SIGTERM or SIGINT drains and exits; a second one exits at once.");
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
    const std::string digits = text.substr(colon + 1);
    int port = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port < 0 || port > 65535)
        throw std::invalid_argument("--listen needs a port from 0 to 65535, not \"" + digits +
                                    "\"");
    return {host, port};
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    line.service.threads = DefaultThreads();
    Raw raw;
    CLI::App app("The SOAP 1.1 text recognition service.", "ocrgated");
    Describe(app, line, raw);
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        line.help = true;
        return line;
    } catch (const CLI::ParseError& error) {
        throw std::invalid_argument(error.what());
    }
    std::tie(line.service.host, line.service.port) = ParseListenAddress(raw.listen);
    const auto threads = static_cast<std::size_t>(line.service.threads);
    line.service.queue_capacity = raw.queue.value_or(threads * 4);
    line.service.max_fetches = raw.max_fetches.value_or(threads * 2);
    line.engine_settings.recognition_lanes = CoresPerWorker(line.service.threads);
    line.service.request_timeout = Milliseconds(raw.request_timeout);
    line.service.recognition.max_time = Milliseconds(raw.max_seconds);
    line.service.token_lifetime = std::chrono::seconds(static_cast<long long>(raw.token_lifetime));
    line.drain_delay = Milliseconds(raw.drain_delay);
    line.drain_timeout = Milliseconds(raw.drain_timeout);
    if (line.drain_timeout <= line.drain_delay)
        throw std::invalid_argument("--drain-timeout must be longer than --drain-delay");
    return line;
}

std::string Usage() {
    CommandLine line;
    Raw raw;
    CLI::App app("The SOAP 1.1 text recognition service.", "ocrgated");
    Describe(app, line, raw);
    return app.help();
}

}  // namespace ocrgated
