#pragma once
// The reply of a REST call, shaped member by member as the cloud API shapes it: only the
// members the call's options ask for.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "service/common/page_reading.h"
#include "service/common/recognized_line.h"
#include "service/rest/rest_call.h"

namespace ocrgated {

// {"log_id", ["direction",] "words_result_num", "words_result", ["paragraphs_result_num",
// "paragraphs_result",] ["language"]}; on the code endpoint {"log_id", "codes_result_num",
// "codes_result"}.
std::string WriteRestReply(std::uint64_t log_id, const RestCall& call, const PageReading& page);

// {"log_id", "error_code", "error_msg"}
std::string WriteRestError(std::uint64_t log_id, int code, std::string_view message);

// The language member: -1 unknown, 0 English, 1 Japanese, 2 Korean, 3 Chinese, judged by
// the script most of the characters are written in.
int DetectedLanguage(const std::vector<RecognizedLine>& lines);

}  // namespace ocrgated
