#include "service/http/access_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <stdexcept>

namespace ocrgated {

std::string FormatAccessLine(const AccessRecord& record) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(record.time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    char rest[160];
    std::snprintf(rest, sizeof rest, " in=%zu out=%zu %.1fms", record.bytes_in, record.bytes_out,
                  record.milliseconds);
    const std::string status = record.cancelled ? "cancelled" : std::to_string(record.status);
    return std::string(stamp) + " " + record.peer + " " + record.operation + " " + status + rest +
           (record.reason.empty() ? "" : " reason=" + record.reason) +
           (record.note.empty() ? "" : " " + record.note);
}

namespace {

struct Log {
    std::mutex mutex;
    std::string path;  // empty: standard error
    std::FILE* file = nullptr;
    ~Log() {
        if (file)
            std::fclose(file);
    }
};

Log& TheLog() {
    static Log log;
    return log;
}

std::FILE* Open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (!file)
        throw std::runtime_error("Cannot open the log file " + path + ": " + std::strerror(errno));
    return file;
}

}  // namespace

void WriteLogLine(std::string_view line) {
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    std::FILE* out = log.file ? log.file : stderr;
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void OpenLog(const std::string& path) {
    std::FILE* file = Open(path);
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    if (log.file)
        std::fclose(log.file);
    log.file = file;
    log.path = path;
}

void ReopenLog() {
    Log& log = TheLog();
    std::lock_guard lock(log.mutex);
    if (log.path.empty())
        return;
    std::fclose(log.file);
    // If the file cannot be opened again, standard error takes the lines.
    log.file = std::fopen(log.path.c_str(), "a");
}

}  // namespace ocrgated
