#include "cli/progress.h"

#include <unistd.h>

namespace cli {

Progress::Progress(std::FILE* err, std::size_t total, bool enabled)
    : err_(err), total_(total), shown_(enabled && total > 1 && ::isatty(::fileno(err))) {
    Draw();
}

Progress::~Progress() {
    Clear();
}

void Progress::Done() {
    ++done_;
    Draw();
}

void Progress::Note(const std::string& line) {
    Clear();
    std::fprintf(err_, "%s\n", line.c_str());
    Draw();
}

void Progress::Clear() {
    if (drawn_)
        std::fputs("\r\x1b[K", err_);
    drawn_ = false;
    std::fflush(err_);
}

void Progress::Draw() {
    if (!shown_)
        return;
    const double minutes =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() / 60;
    std::string line = std::to_string(done_) + "/" + std::to_string(total_) + " pictures";
    if (done_ > 0 && minutes > 0) {
        const double rate = done_ / minutes;
        const long left = static_cast<long>((total_ - done_) / rate * 60 + 0.5);
        char text[96];
        std::snprintf(text, sizeof text, ", %.1f/min, %ld:%02ld left", rate, left / 60, left % 60);
        line += text;
    }
    std::fprintf(err_, "\r\x1b[K%s", line.c_str());
    std::fflush(err_);
    drawn_ = true;
}

}  // namespace cli
