#include "service/engines/ppocr/stage_times.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ocrgated::ppocr {
namespace {

constexpr const char* kNames[] = {"",         "decode",    "detect",      "orientation",
                                  "classify", "recognise", "post-process"};

}  // namespace

void StageTimes::Reset() {
    spent_.fill({});
    current_ = Stage::kNone;
    since_ = Clock::now();
}

Stage StageTimes::Switch(Stage stage) {
    const auto now = Clock::now();
    spent_[static_cast<std::size_t>(current_)] += now - since_;
    since_ = now;
    return std::exchange(current_, stage);
}

double StageTimes::Milliseconds(Stage stage) const {
    Clock::duration spent = spent_[static_cast<std::size_t>(stage)];
    if (stage == current_)
        spent += Clock::now() - since_;
    return std::chrono::duration<double, std::milli>(spent).count();
}

std::string StageTimes::Summary() const {
    std::string summary;
    double total = 0;
    char part[64];
    for (std::size_t i = 1; i < spent_.size(); ++i) {
        const double ms = Milliseconds(static_cast<Stage>(i));
        total += ms;
        std::snprintf(part, sizeof part, "%s %.1f ms, ", kNames[i], ms);
        summary += part;
    }
    std::snprintf(part, sizeof part, "total %.1f ms", total);
    return summary + part;
}

const char* StageName(Stage stage) {
    return kNames[static_cast<std::size_t>(stage)];
}

bool StageTimesWanted() {
    static const bool wanted = [] {
        const char* value = std::getenv("OCRGATED_STAGE_TIMES");
        return value && *value && std::strcmp(value, "0") != 0;
    }();
    return wanted;
}

}  // namespace ocrgated::ppocr
