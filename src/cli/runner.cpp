#include "cli/runner.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/picture_job.h"

namespace cli {
namespace {

std::vector<std::uint8_t> ReadStandardInput() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    return bytes;
}

// JSON Lines: a reply that spans lines is joined; line breaks are whitespace in JSON.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

void Print(const Options& options, std::size_t index, const PictureResult& result, bool& firstBlock,
           std::FILE* out, std::FILE* err) {
    const std::string& name = options.pictures[index];
    if (!result.ok) {
        std::fprintf(err, "quillory-ocr: %s: %s\n", name.c_str(), result.error.c_str());
        std::fflush(err);
        return;
    }
    if (options.json) {
        std::fprintf(out, "%s\n", OneLine(result.reply).c_str());
    } else {
        if (options.pictures.size() > 1) {
            std::fprintf(out, "%s==> %s <==\n", firstBlock ? "" : "\n",
                         name == "-" ? "standard input" : name.c_str());
        }
        for (const auto& line : result.lines)
            std::fprintf(out, "%s\n", line.c_str());
    }
    firstBlock = false;
    std::fflush(out);
}

}  // namespace

int RunPictures(const Options& options, std::FILE* out, std::FILE* err) {
    const std::size_t count = options.pictures.size();
    std::vector<std::uint8_t> stdinBytes;
    for (const auto& p : options.pictures) {
        if (p == "-") {
            stdinBytes = ReadStandardInput();
            break;
        }
    }

    std::vector<PictureResult> results(count);
    std::vector<bool> done(count, false);
    std::mutex lock;
    std::condition_variable changed;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            PictureResult r = RecognizePicture(options.pictures[i], options.endpoint, stdinBytes);
            std::lock_guard guard(lock);
            results[i] = std::move(r);
            done[i] = true;
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    const std::size_t threads =
        std::min<std::size_t>(static_cast<std::size_t>(options.jobs), count);
    for (std::size_t t = 0; t < threads; ++t)
        workers.emplace_back(work);

    int status = 0;
    bool firstBlock = true;
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return done[i]; });
        const PictureResult result = std::move(results[i]);
        guard.unlock();
        if (!result.ok)
            status = 1;
        Print(options, i, result, firstBlock, out, err);
    }
    for (auto& w : workers)
        w.join();
    return status;
}

}  // namespace cli
