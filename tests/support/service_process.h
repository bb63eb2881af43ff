#pragma once
// A real ocrgated in a child process: started with the test's own arguments, its output
// (stdout and stderr together) collected as it comes, stopped with the object.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// Arguments that put the service on an ephemeral loopback port with `threads` workers.
std::vector<std::string> EphemeralArgs(int threads, std::vector<std::string> more = {});

// An endpoint where nothing listens: a loopback port that was free a moment ago.
std::string DeadEndpoint();

class ServiceProcess {
  public:
    ServiceProcess(const std::string& binary, const std::vector<std::string>& args);
    // SIGTERM, up to 10 s for the requests in flight, then SIGKILL.
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Waits until the service says where it listens and answers /healthz with 200.
    bool WaitUntilHealthy(std::chrono::seconds limit = std::chrono::seconds(60));
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    // The address the client posts to.
    std::string Endpoint() const;

    // Everything the process wrote so far.
    std::string Output() const;
    // Waits until the output matches `pattern` or the time runs out; returns the output.
    std::string ReadUntil(const std::regex& pattern,
                          std::chrono::seconds limit = std::chrono::seconds(30));
    // The exit status (128 + signal when killed), or -1 when it does not end in time.
    int Wait(std::chrono::seconds limit = std::chrono::seconds(30));
    void Signal(int signal);

  private:
    pid_t pid_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable grown_;
    std::string output_;
    std::thread reader_;
};

}  // namespace testing_support
