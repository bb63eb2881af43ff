#pragma once
// A loopback HTTP sink: reads each request whole, drops its body and answers a short
// SOAP-looking reply. One connection at a time, which is all the benchmark needs.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace bench_support {

class Sink {
  public:
    Sink();
    ~Sink();
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;

    std::string Url() const;
    int Received() const { return received_.load(); }

  private:
    void Run();
    void Serve(int fd);

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> received_{0};
    std::thread thread_;
};

}  // namespace bench_support
