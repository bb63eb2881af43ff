#pragma once
// Shared pieces of the service benchmarks: a picture rendered with ImageMagick,
// a service on an ephemeral port, SOAP requests and the process's RSS.

#include <httplib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "service/engines/engine_factory.h"
#include "service/protocol/http_service.h"

namespace bench {

// The engines' OpenMP teams are limited to one thread, as ocrgated does; the
// runtime reads the limit when it loads, hence the restart.
inline void LimitOpenMp(char** argv) {
    if (!std::getenv("OMP_THREAD_LIMIT")) {
        setenv("OMP_THREAD_LIMIT", "1", 1);
        execv("/proc/self/exe", argv);
    }
}

inline std::filesystem::path RenderPicture(int width, int height, int pointsize,
                                           const std::vector<std::string>& lines) {
    const auto path =
        std::filesystem::temp_directory_path() /
        ("ocrgated-bench-" + std::to_string(getpid()) + "-" + std::to_string(width) + ".png");
    std::string command =
        "convert -size " + std::to_string(width) + "x" + std::to_string(height) +
        " xc:white -fill black -font /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
        " -pointsize " +
        std::to_string(pointsize);
    const int step = height / int(lines.size() + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        command += " -annotate +" + std::to_string(pointsize / 2) + "+" +
                   std::to_string(step * int(i + 1) + pointsize / 3) + " '" + lines[i] + "'";
    }
    command += " '" + path.string() + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("convert failed");
    return path;
}

inline std::string Base64File(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    static const char* kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const auto at = [&](std::size_t k) {
            return k < bytes.size() ? std::uint32_t(std::uint8_t(bytes[k])) : 0u;
        };
        const std::uint32_t group = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
        out += kAlphabet[group >> 18 & 63];
        out += kAlphabet[group >> 12 & 63];
        out += i + 1 < bytes.size() ? kAlphabet[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return out;
}

inline std::string Request(const std::string& operation, const std::string& inner = "") {
    return "<?xml version=\"1.0\"?>\r\n<SOAP-ENV:Envelope "
           "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<SOAP-ENV:Body><" +
           operation + " xmlns=\"http://quillory.org/ocrgate/\">" + inner + "</" + operation +
           "></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

class Service {
  public:
    // An empty engine name runs the default engine.
    Service(int threads, std::size_t queue, const std::string& engine = "tesseract") {
        ocrgated::ServiceOptions options;
        options.port = 0;
        options.threads = threads;
        options.queue_capacity = queue;
        options.access_log = false;
        std::string warning;
        service_ = std::make_unique<ocrgated::HttpService>(
            options, engine.empty() ? ocrgated::ChooseEngine(engine, {"chi_sim+eng"}, warning)
                                    : ocrgated::MakeEngineFactory(engine, {"chi_sim+eng"}));
        port_ = service_->Bind();
        thread_ = std::thread([this] { service_->Run(); });
        while (!service_->running())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Service() {
        while (service_->running()) {
            service_->Stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        thread_.join();
    }
    int port() const { return port_; }

  private:
    std::unique_ptr<ocrgated::HttpService> service_;
    std::thread thread_;
    int port_ = 0;
};

// Resident set size in KiB.
inline long RssKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace bench
