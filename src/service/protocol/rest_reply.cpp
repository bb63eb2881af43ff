#include "service/protocol/rest_reply.h"

#include <nlohmann/json.hpp>

#include "base/utf.h"
#include "service/protocol/reply_json.h"

#include <algorithm>
#include <array>

namespace ocrgated {
namespace {

using Json = nlohmann::ordered_json;

Json Location(int left, int top, int width, int height) {
    return {{"left", left}, {"top", top}, {"width", width}, {"height", height}};
}

Json Vertexes(const RecognizedLine& line) {
    std::vector<PicturePoint> corners = line.corners;
    if (corners.size() != 4) {
        const int right = line.left + line.width, bottom = line.top + line.height;
        corners = {{line.left, line.top}, {right, line.top}, {right, bottom}, {line.left, bottom}};
    }
    Json points = Json::array();
    for (const PicturePoint& corner : corners)
        points.push_back({{"x", corner.x}, {"y", corner.y}});
    return points;
}

}  // namespace

int DetectedLanguage(const std::vector<RecognizedLine>& lines) {
    std::array<int, 4> counts{};  // English, Japanese, Korean, Chinese
    for (const RecognizedLine& line : lines) {
        for (std::size_t at = 0; at < line.words.size();) {
            const char32_t c = quillory::DecodeUtf8(line.words, at);
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
                ++counts[0];
            else if (c >= 0x3040 && c <= 0x30FF)
                counts[1] += 4;  // kana mark Japanese even among many kanji
            else if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF))
                ++counts[2];
            else if (c >= 0x4E00 && c <= 0x9FFF)
                counts[3] += 3;  // a Chinese character says as much as a Latin word
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? -1 : static_cast<int>(most - counts.begin());
}

std::string WriteRestReply(std::uint64_t log_id, const RestCall& call,
                           const std::vector<RecognizedLine>& lines) {
    Json reply = {{"log_id", log_id}};
    if (call.detect_direction)
        reply["direction"] = PageDirection(lines);
    reply["words_result_num"] = lines.size();
    Json words = Json::array();
    for (const RecognizedLine& line : lines) {
        Json entry = {{"words", line.words}};
        if (call.endpoint.with_location)
            entry["location"] = Location(line.left, line.top, line.width, line.height);
        if (call.vertexes_location)
            entry["vertexes_location"] = Vertexes(line);
        if (call.probability)
            entry["probability"] = {
                {"average", line.average}, {"min", line.min}, {"variance", line.variance}};
        if (call.chars) {
            entry["chars"] = Json::array();
            for (const PlacedCharacter& c : line.characters)
                entry["chars"].push_back(
                    {{"char", c.text}, {"location", Location(c.left, c.top, c.width, c.height)}});
        }
        words.push_back(std::move(entry));
    }
    reply["words_result"] = std::move(words);
    if (call.paragraph) {
        const auto runs = ParagraphRuns(lines);
        reply["paragraphs_result_num"] = runs.size();
        reply["paragraphs_result"] = Json::array();
        for (const auto& run : runs)
            reply["paragraphs_result"].push_back({{"words_result_idx", run}});
    }
    if (call.detect_language)
        reply["language"] = DetectedLanguage(lines);
    // An engine's stray invalid UTF-8 must not cost the whole reply.
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string WriteRestError(std::uint64_t log_id, int code, std::string_view message) {
    const Json reply = {{"log_id", log_id}, {"error_code", code}, {"error_msg", message}};
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ocrgated
