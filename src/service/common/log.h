#pragma once
// Where the rooms under the protocol write their log lines. The protocol plugs its
// access log in at start; until then lines go to standard error.

#include <functional>
#include <string_view>

namespace ocrgated {

using LogSink = std::function<void(std::string_view line)>;

// Replaces the sink; set once at start, before any worker runs.
void SetLogSink(LogSink sink);

// Writes one line (without its newline) to the sink.
void Log(std::string_view line);

}  // namespace ocrgated
