#pragma once
// What one recognition runs under, known to the engine on its worker's thread without
// passing through every stage: its deadline, the working memory its picture may take,
// and the request it serves, under which the decoder libraries' messages are logged.

#include <chrono>
#include <cstdint>
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

// Makes one recognition the calling thread's for the object's life; its time starts now.
class RecognitionScope {
  public:
    RecognitionScope(const RecognitionLimits& limits, std::string request);
    ~RecognitionScope();
    RecognitionScope(const RecognitionScope&) = delete;
    RecognitionScope& operator=(const RecognitionScope&) = delete;
};

// True once the calling thread's recognition has run past its limit; false outside one.
bool DeadlinePassed();
// Throws RecognitionTimedOut once the calling thread's recognition has run past its limit.
void CheckDeadline();
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
