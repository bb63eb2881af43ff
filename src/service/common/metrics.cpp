#include "service/common/metrics.h"

#include <prometheus/counter.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

namespace ocrgated {

struct Metrics::Families {
    explicit Families(prometheus::Registry& registry)
        : requests(prometheus::BuildCounter()
                       .Name("ocrgated_requests_total")
                       .Help("Requests answered, by operation and outcome")
                       .Register(registry)),
          recognition(prometheus::BuildHistogram()
                          .Name("ocrgated_recognition_seconds")
                          .Help("Time from a recognition's start on a worker to its result")
                          .Register(registry)),
          picture_bytes(prometheus::BuildCounter()
                            .Name("ocrgated_picture_bytes_total")
                            .Help("Bytes of pictures received or fetched for recognition")
                            .Register(registry)
                            .Add({})),
          fetches(prometheus::BuildCounter()
                      .Name("ocrgated_fetches_total")
                      .Help("Picture fetches for the address operation, by outcome")
                      .Register(registry)),
          cancelled(prometheus::BuildCounter()
                        .Name("ocrgated_recognitions_cancelled_total")
                        .Help("Recognitions stopped or never started because the client went away")
                        .Register(registry)
                        .Add({})),
          queue(prometheus::BuildGauge()
                    .Name("ocrgated_queue_length")
                    .Help("Recognitions waiting for a worker")
                    .Register(registry)
                    .Add({})),
          busy(prometheus::BuildGauge()
                   .Name("ocrgated_workers_busy")
                   .Help("Workers running a recognition")
                   .Register(registry)
                   .Add({})),
          connections(prometheus::BuildGauge()
                          .Name("ocrgated_connections_open")
                          .Help("Client connections open")
                          .Register(registry)
                          .Add({})),
          engine(prometheus::BuildGauge()
                     .Name("ocrgated_engine_info")
                     .Help("The recognition engine in use, as labels")
                     .Register(registry)) {}

    prometheus::Family<prometheus::Counter>& requests;
    prometheus::Family<prometheus::Histogram>& recognition;
    prometheus::Counter& picture_bytes;
    prometheus::Family<prometheus::Counter>& fetches;
    prometheus::Counter& cancelled;
    prometheus::Gauge &queue, &busy, &connections;
    prometheus::Family<prometheus::Gauge>& engine;
};

Metrics::Metrics()
    : registry_(std::make_shared<prometheus::Registry>()),
      families_(std::make_unique<Families>(*registry_)) {}

Metrics::~Metrics() = default;

void Metrics::SetEngine(const std::string& engine, const std::string& version) {
    families_->engine.Add({{"engine", engine}, {"version", version}}).Set(1);
}

void Metrics::SetGauges(Gauges gauges) {
    gauges_ = std::move(gauges);
}

void Metrics::CountRequest(const std::string& operation, const std::string& outcome) {
    families_->requests.Add({{"operation", operation}, {"outcome", outcome}}).Increment();
}

void Metrics::ObserveRecognition(const std::string& engine, std::chrono::duration<double> time) {
    static const prometheus::Histogram::BucketBoundaries buckets{0.05, 0.1, 0.25, 0.5, 1,
                                                                 2.5,  5,   10,   30};
    families_->recognition.Add({{"engine", engine}}, buckets).Observe(time.count());
}

void Metrics::CountPictureBytes(std::size_t bytes) {
    families_->picture_bytes.Increment(static_cast<double>(bytes));
}

void Metrics::CountFetch(const std::string& outcome) {
    families_->fetches.Add({{"outcome", outcome}}).Increment();
}

void Metrics::CountCancelledRecognition() {
    families_->cancelled.Increment();
}

std::string Metrics::Render() const {
    if (gauges_.queue_length)
        families_->queue.Set(static_cast<double>(gauges_.queue_length()));
    if (gauges_.workers_busy)
        families_->busy.Set(static_cast<double>(gauges_.workers_busy()));
    if (gauges_.connections)
        families_->connections.Set(static_cast<double>(gauges_.connections()));
    return prometheus::TextSerializer().Serialize(registry_->Collect());
}

}  // namespace ocrgated
