#include "service/common/log.h"

#include <cstdio>
#include <string>

namespace ocrgated {
namespace {

void ToStandardError(std::string_view line) {
    const std::string text = std::string(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

LogSink& Sink() {
    static LogSink sink = ToStandardError;
    return sink;
}

}  // namespace

void SetLogSink(LogSink sink) {
    Sink() = sink ? std::move(sink) : LogSink(ToStandardError);
}

void Log(std::string_view line) {
    Sink()(line);
}

}  // namespace ocrgated
