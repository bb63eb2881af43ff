#include "reply/result_lines.h"

#include "reply/reply.h"

#include <cmath>

namespace reply {
namespace {

const ReplyValue* Member(const ReplyValue* object, std::u16string_view name) {
    if (object == nullptr)
        return nullptr;
    for (const ReplyValue::Member& m : object->members()) {
        if (m.name == name)
            return m.value;
    }
    return nullptr;
}

std::optional<double> Number(const ReplyValue* value) {
    if (value == nullptr)
        return std::nullopt;
    switch (value->kind()) {
        case ReplyValue::Kind::Integer:
            return static_cast<double>(value->integer());
        case ReplyValue::Kind::FixedPoint:
            return static_cast<double>(value->fixed_units()) / 10000.0;
        case ReplyValue::Kind::Floating:
            return value->floating();
        default:
            return std::nullopt;
    }
}

std::optional<LineLocation> Location(const ReplyValue* box) {
    const auto left = Number(Member(box, u"left"));
    const auto top = Number(Member(box, u"top"));
    const auto width = Number(Member(box, u"width"));
    const auto height = Number(Member(box, u"height"));
    if (!left || !top || !width || !height)
        return std::nullopt;
    return LineLocation{*left, *top, *width, *height};
}

}  // namespace

std::vector<ResultLine> ResultLines(const ReplyPtr& document) {
    std::vector<ResultLine> lines;
    const ReplyPtr words = ArrayMember(document, u"words_result");
    for (std::size_t i = 0, n = ElementCount(words); i < n; ++i) {
        const ReplyPtr element = ElementAt(words, i);
        ResultLine& line = lines.emplace_back();
        line.words = StringMember(element, u"words");
        line.location = Location(Member(element.get(), u"location"));
        line.confidence = Number(Member(Member(element.get(), u"probability"), u"average"));
    }
    return lines;
}

std::vector<std::vector<std::size_t>> ResultParagraphs(const ReplyPtr& document,
                                                       std::size_t lines) {
    std::vector<std::vector<std::size_t>> paragraphs;
    const ReplyPtr found = ArrayMember(document, u"paragraphs_result");
    for (std::size_t i = 0, n = ElementCount(found); i < n; ++i) {
        const ReplyPtr indices = ArrayMember(ElementAt(found, i), u"words_result_idx");
        std::vector<std::size_t> paragraph;
        for (std::size_t k = 0, m = ElementCount(indices); k < m; ++k) {
            const auto index = Number(ElementAt(indices, k).get());
            if (index && *index >= 0 && *index < double(lines) && *index == std::floor(*index))
                paragraph.push_back(static_cast<std::size_t>(*index));
        }
        if (!paragraph.empty())
            paragraphs.push_back(std::move(paragraph));
    }
    if (paragraphs.empty()) {
        for (std::size_t i = 0; i < lines; ++i)
            paragraphs.push_back({i});
    }
    return paragraphs;
}

}  // namespace reply
