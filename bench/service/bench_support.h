#pragma once
// Shared pieces of the service benchmarks, on the tests' support library: a picture
// rendered with ImageMagick, a service in process on an ephemeral port, and the
// process's RSS.

#include <httplib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "service/engines/factory/engine_factory.h"
#include "soap/base64.h"
#include "support/render.h"
#include "support/running_service.h"

namespace bench {

using testing_support::SoapRequest;

inline std::filesystem::path RenderPicture(int width, int height, int pointsize,
                                           const std::vector<std::string>& lines) {
    const auto path =
        std::filesystem::temp_directory_path() /
        ("ocrgated-bench-" + std::to_string(getpid()) + "-" + std::to_string(width) + ".png");
    testing_support::Rendering picture;
    picture.width = width;
    picture.height = height;
    picture.pointsize = pointsize;
    picture.lines = lines;
    testing_support::RenderFile(picture, path);
    return path;
}

inline std::string Base64File(const std::filesystem::path& path) {
    return soap::EncodeBase64Lines(testing_support::ReadFile(path));
}

// The Tesseract engine served in process, as ocrgated runs it by default.
inline ocrgated::ServiceOptions Options(int threads, std::size_t queue) {
    ocrgated::ServiceOptions options;
    options.threads = threads;
    options.queue_capacity = queue;
    return options;
}

class Service : public testing_support::RunningService {
  public:
    // An empty engine name runs the default engine.
    Service(int threads, std::size_t queue, const std::string& engine = "tesseract")
        : RunningService(Options(threads, queue), Factory(engine)) {}

  private:
    static ocrgated::RecognizerFactory Factory(const std::string& engine) {
        std::string warning;
        return engine.empty() ? ocrgated::ChooseEngine(engine, ocrgated::EngineSettings{}, warning)
                              : ocrgated::MakeEngineFactory(engine, ocrgated::EngineSettings{});
    }
};

// A size from /proc/self/status in KiB: "VmRSS" (resident now) or "VmHWM" (its peak).
inline long StatusKib(const std::string& field = "VmRSS") {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

inline long RssKib() {
    return StatusKib("VmRSS");
}

// Starts the peak (VmHWM) again from the present RSS.
inline void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace bench
