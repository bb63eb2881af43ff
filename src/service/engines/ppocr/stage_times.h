#pragma once
// Where one recognition spends its time, stage by stage, so that each change to
// the engine's speed is measured rather than guessed. With OCRGATED_STAGE_TIMES=1
// in the environment the engine logs one line per picture.

#include <array>
#include <chrono>
#include <string>
#include <utility>

namespace ocrgated::ppocr {

enum class Stage { kNone, kDecode, kDetect, kOrientation, kClassify, kRecognise, kPostProcess };

class StageTimes {
  public:
    using Clock = std::chrono::steady_clock;

    void Reset();
    // Time from now on counts for stage; returns the stage that was counting.
    Stage Switch(Stage stage);
    double Milliseconds(Stage stage) const;  // so far, the running stage's included
    // "decode 3.1 ms, detect 120.4 ms, …, total 480.2 ms"
    std::string Summary() const;

  private:
    std::array<Clock::duration, 7> spent_{};
    Stage current_ = Stage::kNone;
    Clock::time_point since_ = Clock::now();
};

// Counts the time of its scope for a stage; the stage it interrupts resumes after, so
// nested stages are not counted twice.
class StageTimer {
  public:
    StageTimer(StageTimes& times, Stage stage) : times_(times), outer_(times.Switch(stage)) {}
    ~StageTimer() { times_.Switch(outer_); }
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

  private:
    StageTimes& times_;
    Stage outer_;
};

// "decode", "detect", …: how Summary() names the stage.
const char* StageName(Stage stage);

// Whether OCRGATED_STAGE_TIMES asks for the log line.
bool StageTimesWanted();

}  // namespace ocrgated::ppocr
