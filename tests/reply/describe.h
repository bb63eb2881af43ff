#pragma once
// Test helpers: a value written as "<kind>:<text form>" in UTF-8, so that one string
// says both what a parse gave and how it reads.

#include <optional>
#include <string>
#include <string_view>

#include "reply/reply.h"

namespace reply::test {

std::string KindName(ReplyValue::Kind kind);
std::string Describe(const ReplyPtr& value);  // "none" for no value

// Parses UTF-8 text (converted to UTF-16) and describes the result.
std::string ParseAndDescribe(std::string_view utf8);
std::string ParseAndDescribe(std::u16string_view text);

}  // namespace reply::test
