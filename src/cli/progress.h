#pragma once
// A one-line display of a long run on a terminal: done/total, pictures per minute and the
// time left, redrawn as pictures finish and cleared at the end. Other lines for the same
// stream go through Note so that they are not mixed into it.

#include <chrono>
#include <cstdio>
#include <string>

namespace cli {

class Progress {
  public:
    // Shown only when `enabled`, `err` is a terminal and there is more than one picture.
    Progress(std::FILE* err, std::size_t total, bool enabled);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Done();
    void Note(const std::string& line);  // `line` without its line break
    void Clear();

  private:
    void Draw();

    std::FILE* err_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace cli
