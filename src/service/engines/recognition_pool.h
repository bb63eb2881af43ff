#pragma once
// A fixed set of worker threads, each with its own engine, fed from a bounded
// queue. A full queue refuses new work at once instead of letting it pile up.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "service/common/recognition_context.h"
#include "service/engines/recognizer.h"

namespace ocrgated {

using RecognizerFactory = std::function<std::unique_ptr<Recognizer>()>;

// What a recognition reads of its picture: the text, the codes, or both.
struct PageParts {
    bool text = true;
    bool codes = false;
    ReadingHints hints;
};

class ServerBusy : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class RecognitionPool {
  public:
    // Creates every engine before returning, so that a broken engine shows at start.
    // Each recognition runs under `limits`, its time counted from when a worker takes it.
    RecognitionPool(int threads, std::size_t queue_capacity, const RecognizerFactory& factory,
                    RecognitionLimits limits = {});
    ~RecognitionPool();  // finishes the queued work, then joins
    RecognitionPool(const RecognitionPool&) = delete;
    RecognitionPool& operator=(const RecognitionPool&) = delete;

    // Throws ServerBusy when queue_capacity recognitions are already waiting. `request`
    // names the request in the log lines the recognition writes ("127.0.0.1:50412 quillory").
    // Once `cancel` is set, a waiting recognition never starts and a running one stops at
    // its engine's next deadline check; either ends in RecognitionCancelled.
    std::future<PageReading> Submit(std::vector<std::uint8_t> picture, std::string request = "-",
                                    CancelFlag cancel = nullptr, PageParts parts = {});

    std::string EngineName() const { return engine_name_; }
    int threads() const { return static_cast<int>(workers_.size()); }
    std::size_t waiting() const;

  private:
    struct Job {
        std::vector<std::uint8_t> picture;
        std::string request;
        CancelFlag cancel;
        PageParts parts;
        std::promise<PageReading> result;
    };

    void Work(Recognizer& engine);

    std::size_t capacity_;
    RecognitionLimits limits_;
    std::string engine_name_;
    std::vector<std::unique_ptr<Recognizer>> engines_;
    std::vector<std::thread> workers_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Job> queue_;
    bool stopping_ = false;
};

}  // namespace ocrgated
