#pragma once
// A recognizer for tests of everything around the engine: its answer is spelled
// out in the picture bytes, and it can be held at a gate to fill the queue.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "service/engines/recognition_pool.h"

namespace ocrgated::testing {

// Work held here waits until Open; a test can count the waiting recognitions.
class Gate {
  public:
    void Pass() {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    bool WaitForArrivals(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return arrived_ >= count; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    bool open_ = false;
};

// Bytes "lines:a|b" recognise as the lines a and b; "bad", "large" and "fail"
// throw BadPicture, PictureTooLarge and a plain engine error; "gate:..." waits
// at the gate first.
class FakeRecognizer final : public Recognizer {
  public:
    explicit FakeRecognizer(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}

    std::vector<RecognizedLine> Recognize(std::span<const std::uint8_t> picture) override {
        std::string text(picture.begin(), picture.end());
        if (text.rfind("gate:", 0) == 0) {
            gate_->Pass();
            text = text.substr(5);
        }
        if (text == "bad")
            throw BadPicture("fake bad picture");
        if (text == "large")
            throw PictureTooLarge("fake large picture");
        if (text == "fail")
            throw std::runtime_error("fake engine failure");
        std::vector<RecognizedLine> lines;
        if (text.rfind("lines:", 0) != 0)
            return lines;
        std::size_t start = 6;
        while (start <= text.size()) {
            const std::size_t bar = std::min(text.find('|', start), text.size());
            lines.push_back(RecognizedLine{text.substr(start, bar - start), 0,
                                           int(lines.size()) * 10, 100, 10, 0.9, 0.8, 0.001});
            start = bar + 1;
        }
        return lines;
    }
    std::string Name() const override { return "fake"; }

  private:
    std::shared_ptr<Gate> gate_;
};

inline RecognizerFactory FakeFactory(std::shared_ptr<Gate> gate = std::make_shared<Gate>()) {
    return [gate] { return std::make_unique<FakeRecognizer>(gate); };
}

}  // namespace ocrgated::testing
