#pragma once
// An ocrgated started for a test on an ephemeral loopback port, and pictures rendered with
// ImageMagick so that their text is known.

#include <string>
#include <vector>

namespace testing_support {

class ServiceProcess {
  public:
    // Starts `binary` with --listen 127.0.0.1:0 and the given thread count; waits until it
    // says where it listens.
    ServiceProcess(const std::string& binary, int threads);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool Started() const { return port_ > 0; }
    std::string Endpoint() const;
    const std::string& Output() const { return output_; }

  private:
    int pid_ = -1;
    int out_ = -1;
    int port_ = 0;
    std::string output_;
};

// Writes a PNG of black lines of text on white to `path`; false when ImageMagick failed.
bool RenderText(const std::string& path, const std::vector<std::string>& lines);

}  // namespace testing_support
