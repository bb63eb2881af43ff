#pragma once
// Private to the reader: reading number text and writing numbers in their text form.

#include <cstdint>
#include <string>
#include <string_view>

#include "reply/reply_value.h"

namespace reply::detail {

struct Number {
    ReplyValue::Kind kind;  // Integer, FixedPoint or Floating
    std::int64_t units;     // the integer, or ten-thousandths for fixed-point
    double floating;
};

// `text` is a run of "+-.0123456789Ee" that begins with "-" or a digit. Throws
// EReplyOverflow when a floating number lies beyond the range of a double.
Number ReadNumber(std::string_view text);

void AppendInteger(std::u16string& out, std::int64_t value);
void AppendFixedPoint(std::u16string& out, std::int64_t units);
void AppendFloating(std::u16string& out, double value);

}  // namespace reply::detail
