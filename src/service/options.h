#pragma once
// The command line of ocrgated.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "service/engines/factory/engine_factory.h"
#include "service/http_service.h"

namespace ocrgated {

struct CommandLine {
    ServiceOptions service;
    std::string engine;              // empty: ppocr when its models are usable, else tesseract
    EngineSettings engine_settings;  // languages and the PP-OCR tunables
    std::string log_file;            // empty: standard error
    std::chrono::milliseconds drain_delay{5'000};
    std::chrono::milliseconds drain_timeout{25'000};  // counted from the signal
    bool help = false;
    bool version = false;
};

// Throws std::invalid_argument with a message fit for the user.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Splits "127.0.0.1:8723" or "[::1]:8723" into host and port.
std::pair<std::string, int> ParseListenAddress(const std::string& text);

std::string Usage();

}  // namespace ocrgated
