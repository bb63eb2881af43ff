#include "service/common/recognition_context.h"

#include <algorithm>

#include <cstdio>
#include <iostream>
#include <optional>
#include <streambuf>

#include "service/common/log.h"

namespace ocrgated {
namespace {

using Clock = std::chrono::steady_clock;

// A damaged picture can make a library complain once per row; a few lines say enough.
constexpr int kMessagesPerRecognition = 5;

struct Current {
    RecognitionLimits limits;
    Clock::time_point start, deadline;
    std::string request;
    int messages = 0;
    CancelFlag cancel;
};

thread_local std::optional<Current> current;

bool Cancelled() {
    return current && current->cancel && current->cancel->load(std::memory_order_relaxed);
}

std::string Clean(std::string_view text) {
    std::string line(text.substr(0, 300));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line;
}

// Gathers each thread's characters into lines of its own, so that no state is shared
// between the threads that write at once.
class LinesToLog : public std::streambuf {
  public:
    explicit LinesToLog(std::string library) : library_(std::move(library)) {}

  protected:
    int_type overflow(int_type c) override {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        // A line ends at a newline; a run without one is cut into lines.
        if ((c == '\n' || pending_.size() >= 1024) && !pending_.empty()) {
            LogDecoderMessage(library_, pending_);
            pending_.clear();
        }
        if (c != '\n')
            pending_ += traits_type::to_char_type(c);
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize i = 0; i < count; ++i)
            overflow(traits_type::to_int_type(text[i]));
        return count;
    }

  private:
    const std::string library_;
    static thread_local std::string pending_;
};

thread_local std::string LinesToLog::pending_;

}  // namespace

RecognitionScope::RecognitionScope(const RecognitionLimits& limits, std::string request,
                                   CancelFlag cancel) {
    const auto now = Clock::now();
    current.emplace(
        Current{limits, now, now + limits.max_time, std::move(request), 0, std::move(cancel)});
}

RecognitionScope::~RecognitionScope() {
    const int dropped = current->messages - kMessagesPerRecognition;
    if (dropped > 0)
        Log("ocrgated: " + current->request + ": " + std::to_string(dropped) +
            " more decoder messages not shown");
    current.reset();
}

bool DeadlinePassed() {
    return current && (Cancelled() || Clock::now() >= current->deadline);
}

void CheckDeadline() {
    if (Cancelled())
        throw RecognitionCancelled("the client went away before the result was ready");
    if (!DeadlinePassed())
        return;
    const auto seconds = std::chrono::duration<double>(current->deadline - current->start).count();
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g s", seconds);
    throw RecognitionTimedOut(std::string("it took longer than the limit of ") + limit);
}

void StretchDeadline(double share) {
    if (!current)
        return;
    const auto stretched =
        current->start + std::chrono::duration_cast<Clock::duration>(current->limits.max_time *
                                                                     std::clamp(share, 1.0, 3.0));
    current->deadline = std::max(current->deadline, stretched);
}

StopSignal CurrentStopSignal() {
    return current ? StopSignal(current->deadline, current->cancel) : StopSignal();
}

std::uint64_t PictureMemoryLimit() {
    return current ? current->limits.max_picture_memory : 0;
}

void LogDecoderMessage(std::string_view library, std::string_view message) {
    const std::string line = std::string(library) + ": " + Clean(message);
    if (!current) {
        Log("ocrgated: " + line);
        return;
    }
    if (++current->messages <= kMessagesPerRecognition)
        Log("ocrgated: " + current->request + ": " + line);
}

void LogStandardErrorStream(std::string_view library) {
    // Never destroyed: std::cerr may still be flushed while statics are torn down.
    static auto* const lines = new LinesToLog(std::string(library));
    std::cerr.rdbuf(lines);
}

}  // namespace ocrgated
