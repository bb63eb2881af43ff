#pragma once
// The recognition engine interface of the service: picture bytes in, lines out.

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace ocrgated {

struct RecognizedLine {
    std::string words;  // UTF-8
    int left = 0, top = 0, width = 0, height = 0;
    double average = 0.0;   // per-character confidence, 0..1
    double min = 0.0;
    double variance = 0.0;
};

// The bytes are not a picture the engine can decode.
class BadPicture : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The picture is larger than the service accepts.
class PictureTooLarge : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One instance serves one thread at a time; the service keeps one per worker.
class Recognizer {
public:
    virtual ~Recognizer() = default;
    // Lines in reading order. Throws BadPicture, PictureTooLarge, or
    // std::runtime_error when the engine itself fails.
    virtual std::vector<RecognizedLine> Recognize(std::span<const std::uint8_t> picture) = 0;
    virtual std::string Name() const = 0;
};

}  // namespace ocrgated
