#pragma once
// The recognition engine interface of the service: picture bytes in, lines out.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "service/common/page_reading.h"
#include "service/common/picture_errors.h"
#include "service/common/recognized_line.h"

namespace ocrgated {

// What the caller knows of its picture beforehand.
struct ReadingHints {
    bool one_table = false;  // the whole picture is one table, with rules or without
};

// One instance serves one thread at a time; the service keeps one per worker.
class Recognizer {
public:
    virtual ~Recognizer() = default;
    // Lines in reading order. Throws BadPicture, PictureTooLarge, or
    // std::runtime_error when the engine itself fails.
    virtual std::vector<RecognizedLine> Recognize(std::span<const std::uint8_t> picture) = 0;
    // The lines and the tables they stand in; engines that find no tables give the lines.
    virtual PageReading ReadPage(std::span<const std::uint8_t> picture,
                                 const ReadingHints& = {}) {
        return {Recognize(picture), {}, {}};
    }
    virtual std::string Name() const = 0;
};

}  // namespace ocrgated
