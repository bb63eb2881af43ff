#include "service/protocol/rest_reply.h"

#include <nlohmann/json.hpp>

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

// The paragraph a line belongs to, where the engine's lines carry one.
template <typename Line>
int ParagraphOf(const Line& line) {
    if constexpr (requires { line.paragraph; })
        return line.paragraph;
    else
        return -1;
}

// Lines of one paragraph share an entry; a line without one is a paragraph of its own.
Json Paragraphs(const std::vector<RecognizedLine>& lines) {
    Json paragraphs = Json::array();
    int last = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int paragraph = ParagraphOf(lines[i]);
        if (paragraph < 0 || paragraph != last || paragraphs.empty())
            paragraphs.push_back({{"words_result_idx", Json::array()}});
        paragraphs.back()["words_result_idx"].push_back(i);
        last = paragraph;
    }
    return paragraphs;
}

// The Unicode code points of UTF-8 text; invalid bytes are skipped.
std::vector<char32_t> CodePoints(const std::string& text) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80       ? 1
                           : byte >> 5 == 6  ? 2
                           : byte >> 4 == 14 ? 3
                           : byte >> 3 == 30 ? 4
                                             : 0;
        if (length == 0 || i + length > text.size()) {
            ++i;
            continue;
        }
        char32_t point = length == 1 ? byte : byte & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            point = point << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

}  // namespace

int DetectedLanguage(const std::vector<RecognizedLine>& lines) {
    std::array<int, 4> counts{};  // English, Japanese, Korean, Chinese
    for (const RecognizedLine& line : lines) {
        for (char32_t c : CodePoints(line.words)) {
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
        reply["direction"] = lines.empty() ? -1 : lines.front().page_direction;
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
        words.push_back(std::move(entry));
    }
    reply["words_result"] = std::move(words);
    if (call.paragraph) {
        Json paragraphs = Paragraphs(lines);
        reply["paragraphs_result_num"] = paragraphs.size();
        reply["paragraphs_result"] = std::move(paragraphs);
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
