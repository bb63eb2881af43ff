#pragma once
// A program of another maker that stays running and answers each line written
// to its input with one line on its output, so that its runs can be
// interleaved with ours.

#include <sys/types.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

// The peer could not be installed, started, or stopped answering.
class PeerUnavailable : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PeerProcess {
  public:
    // Starts argv (argv[0] looked up in PATH) and waits up to limit for its
    // first line, which must be ready_line.
    PeerProcess(const std::vector<std::string>& argv, const std::string& ready_line,
                std::chrono::seconds limit);
    ~PeerProcess();  // closes its input and waits for it to end
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Writes line and returns its answer, waiting up to limit.
    std::string Ask(const std::string& line, std::chrono::seconds limit);
    pid_t pid() const { return pid_; }

  private:
    void Stop();
    std::string ReadLine(std::chrono::seconds limit);

    pid_t pid_ = -1;
    int input_ = -1, output_ = -1;
    std::string pending_;  // read but not yet returned
};

// Resident set size in KiB of a process ("self" or a pid), -1 when unknown.
long ResidentKib(const std::string& process = "self");

}  // namespace bench
