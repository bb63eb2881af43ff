#pragma once
// One line per request on stderr or in a log file: time, peer, operation, status, bytes in and
// out, milliseconds.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace ocrgated {

struct AccessRecord {
    std::chrono::system_clock::time_point time;
    std::string peer;  // "127.0.0.1:50412"
    std::string operation;
    int status = 0;
    bool cancelled = false;  // the client went away: nothing was answered, whatever the status
    std::size_t bytes_in = 0, bytes_out = 0;
    double milliseconds = 0.0;
    std::string reason;  // a fault's reason word or error code; appended as reason=… when set
    std::string note;    // appended when not empty
};

// "2026-12-08T17:30:01Z 127.0.0.1:50412 HelloWorld 200 in=312 out=402 1.2ms", then the reason
// and the note; "cancelled" stands in place of the status of a request its client gave up.
std::string FormatAccessLine(const AccessRecord& record);

// Writes the line and a newline atomically with respect to other log lines.
void WriteLogLine(std::string_view line);

// Sends the log to a file, appended, instead of standard error; throws std::runtime_error.
void OpenLog(const std::string& path);
// Opens the log file again under its name (after a rotation); a no-op for standard error.
void ReopenLog();

}  // namespace ocrgated
