#include "service/protocol/reply_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>

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
    // Paragraphs, where the engine found them: runs of lines in reading order.
    if (std::any_of(lines.begin(), lines.end(), [](const auto& l) { return l.paragraph >= 0; })) {
        nlohmann::ordered_json paragraphs = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == 0 || lines[i].paragraph != lines[i - 1].paragraph || lines[i].paragraph < 0)
                paragraphs.push_back({{"words_result_idx", nlohmann::ordered_json::array()}});
            paragraphs.back()["words_result_idx"].push_back(i);
        }
        reply["paragraphs_result_num"] = paragraphs.size();
        reply["paragraphs_result"] = std::move(paragraphs);
    }
    // An engine's stray invalid UTF-8 must not cost the whole reply.
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ocrgated
