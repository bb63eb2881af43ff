#pragma once
// The service's Prometheus metrics, written in the text exposition format for
// GET /metrics. Counting is cheap and thread-safe; gauges that mirror live state
// are read when the metrics are scraped.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace prometheus {
class Registry;
}

namespace ocrgated {

class Metrics {
  public:
    // Live values read at each scrape.
    struct Gauges {
        std::function<std::size_t()> queue_length, workers_busy, connections;
    };

    Metrics();
    ~Metrics();
    Metrics(const Metrics&) = delete;
    Metrics& operator=(const Metrics&) = delete;

    void SetEngine(const std::string& engine, const std::string& version);
    void SetGauges(Gauges gauges);

    // outcome: ok, client_fault, server_fault, busy, cancelled
    void CountRequest(const std::string& operation, const std::string& outcome);
    void ObserveRecognition(const std::string& engine, std::chrono::duration<double> time);
    void CountPictureBytes(std::size_t bytes);
    // outcome: ok, refused, failed, too_large, busy
    void CountFetch(const std::string& outcome);
    // A recognition stopped, or never started, because its client went away.
    void CountCancelledRecognition();

    std::string Render() const;

  private:
    struct Families;
    std::shared_ptr<prometheus::Registry> registry_;
    std::unique_ptr<Families> families_;
    Gauges gauges_;
};

}  // namespace ocrgated
