#pragma once
// The reply text of a recognition on the SOAP face: the JSON shape the client reads.

#include <cstdint>
#include <string>
#include <vector>

#include "service/common/page_reading.h"

namespace ocrgated {

// {"log_id":…, "words_result_num":n, "words_result":[{"words", "location", "probability"}…]},
// then "paragraphs_result_num" and "paragraphs_result":[{"words_result_idx":[…]}…] when the
// engine grouped its lines into paragraphs, "direction" when it judged the page's turn, and
// "table_num" and "tables_result" when it found tables, "codes_result_num" and
// "codes_result" when the page holds QR codes or barcodes. With `characters`, each line's
// "chars" too: every character with its "location".
std::string WriteReplyJson(std::uint64_t log_id, const std::vector<RecognizedLine>& lines,
                           const std::vector<RecognizedTable>& tables = {},
                           const std::vector<RecognizedCode>& codes = {},
                           bool characters = false);

}  // namespace ocrgated
