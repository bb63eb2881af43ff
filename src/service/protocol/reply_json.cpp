#include "service/protocol/reply_json.h"

#include <nlohmann/json.hpp>

namespace ocrgated {

std::string WriteReplyJson(std::uint64_t log_id, const std::vector<RecognizedLine>& lines) {
    nlohmann::ordered_json words = nlohmann::ordered_json::array();
    for (const auto& line : lines) {
        words.push_back({
            {"words", line.words},
            {"location",
             {{"left", line.left},
              {"top", line.top},
              {"width", line.width},
              {"height", line.height}}},
            {"probability",
             {{"average", line.average}, {"min", line.min}, {"variance", line.variance}}},
        });
    }
    nlohmann::ordered_json reply = {
        {"log_id", log_id},
        {"words_result_num", lines.size()},
        {"words_result", std::move(words)},
    };
    // An engine's stray invalid UTF-8 must not cost the whole reply.
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ocrgated
