#include "reply/result_lines.h"

#include "reply/reply.h"

#include <algorithm>
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
        const ReplyPtr characters = ArrayMember(element, u"chars");
        for (std::size_t k = 0, m = ElementCount(characters); k < m; ++k) {
            const ReplyPtr c = ElementAt(characters, k);
            if (const auto at = Location(Member(c.get(), u"location")))
                line.characters.push_back({StringMember(c, u"char"), *at});
        }
    }
    return lines;
}

std::vector<ResultCode> ResultCodes(const ReplyPtr& document) {
    std::vector<ResultCode> codes;
    const ReplyPtr found = ArrayMember(document, u"codes_result");
    for (std::size_t i = 0, n = ElementCount(found); i < n; ++i) {
        const ReplyPtr element = ElementAt(found, i);
        ResultCode code;
        code.type = StringMember(element, u"type");
        if (code.type.empty())
            continue;
        // The API gives the text as its lines; a plain text is taken as it is.
        if (const ReplyPtr lines = ArrayMember(element, u"text")) {
            for (std::size_t k = 0, m = ElementCount(lines); k < m; ++k) {
                const ReplyPtr line = ElementAt(lines, k);
                code.text += (k > 0 ? u"\n" : u"") + AsText(line);
            }
        } else {
            code.text = StringMember(element, u"text");
        }
        code.location = Location(Member(element.get(), u"location"));
        codes.push_back(std::move(code));
    }
    return codes;
}

std::u16string CodeLabel(const ResultCode& code) {
    return u"[" + code.type + u"] " + code.text;
}

namespace {

// A whole number from 0 below a bound that keeps a grid small enough to lay out.
std::optional<int> Place(const ReplyValue* value) {
    constexpr double kLargestPlace = 10000;
    const auto number = Number(value);
    if (!number || *number < 0 || *number > kLargestPlace || *number != std::floor(*number))
        return std::nullopt;
    return static_cast<int>(*number);
}

}  // namespace

std::vector<ResultTable> ResultTables(const ReplyPtr& document) {
    std::vector<ResultTable> tables;
    const ReplyPtr found = ArrayMember(document, u"tables_result");
    for (std::size_t t = 0, n = ElementCount(found); t < n; ++t) {
        const ReplyPtr body = ArrayMember(ElementAt(found, t), u"body");
        ResultTable table;
        for (std::size_t i = 0, m = ElementCount(body); i < m; ++i) {
            const ReplyPtr element = ElementAt(body, i);
            const auto row = Place(Member(element.get(), u"row_start"));
            const auto row_end = Place(Member(element.get(), u"row_end"));
            const auto column = Place(Member(element.get(), u"col_start"));
            const auto column_end = Place(Member(element.get(), u"col_end"));
            if (!row || !row_end || !column || !column_end || *row_end <= *row ||
                *column_end <= *column)
                continue;
            table.cells.push_back({*row, *column, *row_end - *row, *column_end - *column,
                                   StringMember(element, u"words")});
            table.rows = std::max(table.rows, *row_end);
            table.columns = std::max(table.columns, *column_end);
        }
        const ReplyPtr corners = ArrayMember(ElementAt(found, t), u"table_location");
        double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
        for (std::size_t k = 0, m = ElementCount(corners); k < m; ++k) {
            const ReplyPtr point = ElementAt(corners, k);
            const auto x = Number(Member(point.get(), u"x")), y = Number(Member(point.get(), u"y"));
            if (!x || !y)
                continue;
            left = std::min(left, *x), right = std::max(right, *x);
            top = std::min(top, *y), bottom = std::max(bottom, *y);
        }
        if (right >= left && bottom >= top)
            table.bounds = LineLocation{left, top, right - left, bottom - top};
        // A grid that large is no page's table; laid out, it would take gigabytes.
        constexpr long kLargestGrid = 100000;
        if (!table.cells.empty() && long(table.rows) * table.columns <= kLargestGrid)
            tables.push_back(std::move(table));
    }
    return tables;
}

bool ResultTable::Holds(const ResultLine& line) const {
    if (!bounds || !line.location)
        return false;
    const double x = line.location->left + line.location->width / 2;
    const double y = line.location->top + line.location->height / 2;
    return x >= bounds->left && x <= bounds->left + bounds->width && y >= bounds->top &&
           y <= bounds->top + bounds->height;
}

std::vector<std::vector<std::u16string>> ResultTable::Grid() const {
    std::vector<std::vector<std::u16string>> grid(
        static_cast<std::size_t>(rows),
        std::vector<std::u16string>(static_cast<std::size_t>(columns)));
    for (const ResultCell& cell : cells)
        grid[static_cast<std::size_t>(cell.row)][static_cast<std::size_t>(cell.column)] =
            cell.words;
    return grid;
}

}  // namespace reply
