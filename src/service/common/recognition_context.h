#pragma once
// What one recognition runs under, known to the engine on its worker's thread without
// passing through every stage: its deadline, the working memory its picture may take,
// and the request it serves, under which the decoder libraries' messages are logged.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ocrgated {

struct RecognitionLimits {
    std::chrono::milliseconds max_time{30'000};
    // Working memory one picture may take in its engine, estimated from its header.
    std::uint64_t max_picture_memory = std::uint64_t{1} << 30;
};

// The recognition ran past its time limit; the engine stopped between two stages.
class RecognitionTimedOut : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Nobody waits for the recognition any more (its client went away); the engine stopped at
// its next check, as it does at its deadline.
class RecognitionCancelled : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Set from another thread to call a recognition off.
using CancelFlag = std::shared_ptr<const std::atomic<bool>>;

// Makes one recognition the calling thread's for the object's life; its time starts now.
class RecognitionScope {
  public:
    RecognitionScope(const RecognitionLimits& limits, std::string request,
                     CancelFlag cancel = nullptr);
    ~RecognitionScope();
    RecognitionScope(const RecognitionScope&) = delete;
    RecognitionScope& operator=(const RecognitionScope&) = delete;
};

// True once the calling thread's recognition has run past its limit or was called off;
// false outside one.
bool DeadlinePassed();
// Throws RecognitionCancelled once the calling thread's recognition was called off, and
// RecognitionTimedOut once it has run past its limit.
void CheckDeadline();
// A page holding more text than the limit was set for has `share` (above 1) times the
// limit from its start, up to three times: its reading takes time in proportion to its
// text, and a legitimate dense page must not end as a time-out. The client's own wait
// (two minutes) stays longer than that. Does nothing outside a recognition.
void StretchDeadline(double share);
// The calling thread's deadline and cancel flag, for helper threads of its recognition to
// look at (the scope itself belongs to one thread). Never raised outside a recognition.
class StopSignal {
  public:
    StopSignal() = default;
    StopSignal(std::chrono::steady_clock::time_point deadline, CancelFlag cancel)
        : deadline_(deadline), cancel_(std::move(cancel)), set_(true) {}
    bool Raised() const {
        return set_ && ((cancel_ && cancel_->load(std::memory_order_relaxed)) ||
                        std::chrono::steady_clock::now() >= deadline_);
    }

  private:
    std::chrono::steady_clock::time_point deadline_{};
    CancelFlag cancel_;
    bool set_ = false;
};
StopSignal CurrentStopSignal();

// The working memory the calling thread's picture may take; 0 outside a recognition
// (no limit).
std::uint64_t PictureMemoryLimit();

// Logs a decoder library's message under the request being served: the first few of
// each recognition, then how many more there were.
void LogDecoderMessage(std::string_view library, std::string_view message);

// From now on, each line written to std::cerr is logged as LogDecoderMessage does,
// under `library`: OpenCV's decoders write their complaints there.
void LogStandardErrorStream(std::string_view library);

}  // namespace ocrgated
