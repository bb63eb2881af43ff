#include "service/protocol/access_log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace ocrgated {

std::string FormatAccessLine(const AccessRecord& record) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(record.time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    char rest[160];
    std::snprintf(rest, sizeof rest, " %d in=%zu out=%zu %.1fms", record.status, record.bytes_in,
                  record.bytes_out, record.milliseconds);
    return std::string(stamp) + " " + record.peer + " " + record.operation + rest;
}

void WriteLogLine(std::string_view line) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace ocrgated
