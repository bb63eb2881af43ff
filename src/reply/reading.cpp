#include "reply/reading.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "reply/reply.h"

namespace reply {
namespace {

std::vector<std::vector<std::size_t>> EachLineAlone(std::size_t lines) {
    std::vector<std::vector<std::size_t>> paragraphs;
    for (std::size_t i = 0; i < lines; ++i)
        paragraphs.push_back({i});
    return paragraphs;
}

// A whole number below `lines`, as a line index.
std::optional<std::size_t> LineIndex(const ReplyPtr& value, std::size_t lines) {
    if (!value)
        return std::nullopt;
    double number = 0;
    switch (value->kind()) {
        case ReplyValue::Kind::Integer:
            number = static_cast<double>(value->integer());
            break;
        case ReplyValue::Kind::FixedPoint:
            number = static_cast<double>(value->fixed_units()) / 10000.0;
            break;
        case ReplyValue::Kind::Floating:
            number = value->floating();
            break;
        default:
            return std::nullopt;
    }
    if (!(number >= 0) || number >= double(lines) || number != std::floor(number))
        return std::nullopt;
    return static_cast<std::size_t>(number);
}

}  // namespace

std::vector<std::vector<std::size_t>> ResultParagraphs(const ReplyPtr& document,
                                                       std::size_t lines) {
    // Which paragraph claims each line; none for a line no paragraph names.
    std::vector<std::optional<std::size_t>> owner(lines);
    const ReplyPtr found = ArrayMember(document, u"paragraphs_result");
    std::optional<std::size_t> last;
    for (std::size_t p = 0, n = ElementCount(found); p < n; ++p) {
        const ReplyPtr indices = ArrayMember(ElementAt(found, p), u"words_result_idx");
        for (std::size_t k = 0, m = ElementCount(indices); k < m; ++k) {
            const auto line = LineIndex(ElementAt(indices, k), lines);
            if (!line)
                continue;
            // A line claimed twice, or before one claimed earlier: the grouping is not
            // the lines' own order, and none of it can be trusted.
            if (owner[*line] || (last && *line < *last))
                return EachLineAlone(lines);
            owner[*line] = p;
            last = line;
        }
    }
    std::vector<std::vector<std::size_t>> paragraphs;
    for (std::size_t i = 0; i < lines; ++i) {
        if (i == 0 || !owner[i] || owner[i] != owner[i - 1])
            paragraphs.emplace_back();
        paragraphs.back().push_back(i);
    }
    return paragraphs;
}

Reading ReadReply(std::u16string_view text) {
    Reading reading;
    try {
        const ReplyPtr document = ParseReply(std::u16string(text));
        if (!document)
            return reading;
        reading.readable = true;
        reading.lines = ResultLines(document);
        reading.paragraphs = ResultParagraphs(document, reading.lines.size());
        reading.tables = ResultTables(document);
        reading.codes = ResultCodes(document);
    } catch (const std::exception&) {
        reading = Reading{};
        reading.refused = true;
    }
    return reading;
}

std::vector<ReadingBlock> Reading::Blocks(bool by_paragraph) const {
    // The table each line stands in, if any.
    std::vector<std::optional<std::size_t>> table_of(lines.size());
    std::vector<std::vector<std::size_t>> held(tables.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (std::size_t t = 0; t < tables.size(); ++t) {
            if (tables[t].Holds(lines[i])) {
                table_of[i] = t;
                held[t].push_back(i);
                break;
            }
        }
    }
    std::vector<ReadingBlock> blocks;
    std::vector<bool> placed(tables.size(), false);
    const auto units = by_paragraph ? paragraphs : [&] {
        std::vector<std::vector<std::size_t>> each;
        for (std::size_t i = 0; i < lines.size(); ++i)
            each.push_back({i});
        return each;
    }();
    for (const std::vector<std::size_t>& unit : units) {
        ReadingBlock paragraph;
        for (std::size_t i : unit) {
            if (!table_of[i]) {
                paragraph.lines.push_back(i);
                continue;
            }
            const std::size_t t = *table_of[i];
            if (placed[t])
                continue;
            if (!paragraph.lines.empty())
                blocks.push_back(std::exchange(paragraph, {}));
            blocks.push_back({held[t], t});
            placed[t] = true;
        }
        if (!paragraph.lines.empty())
            blocks.push_back(std::move(paragraph));
    }
    for (std::size_t t = 0; t < tables.size(); ++t) {
        if (!placed[t])
            blocks.push_back({held[t], t});
    }
    return blocks;
}

}  // namespace reply
