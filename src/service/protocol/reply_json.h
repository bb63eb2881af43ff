#pragma once
// The reply text of a recognition: the JSON shape the client reads.

#include <cstdint>
#include <string>
#include <vector>

#include "service/engines/recognizer.h"

namespace ocrgated {

// {"log_id":…, "words_result_num":n, "words_result":[{"words", "location", "probability"}…]},
// then "paragraphs_result_num" and "paragraphs_result":[{"words_result_idx":[…]}…] when the
// engine grouped its lines into paragraphs.
std::string WriteReplyJson(std::uint64_t log_id, const std::vector<RecognizedLine>& lines);

}  // namespace ocrgated
