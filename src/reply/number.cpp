#include "reply/number.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "reply/reply.h"

namespace reply::detail {
namespace {

constexpr std::uint64_t kNegativeLimit = std::uint64_t(1) << 63;  // |INT64_MIN|
constexpr std::int64_t kUnitsPerOne = 10000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Accumulates decimal digits from `pos`, saturating instead of wrapping: numbers beyond
// 64 bits keep their sign and end at the limit of the kind.
std::uint64_t ReadDigits(std::string_view text, std::size_t& pos, std::size_t max_digits,
                         std::size_t* taken = nullptr) {
    std::uint64_t value = 0;
    std::size_t count = 0;
    while (pos < text.size() && IsDigit(text[pos]) && count < max_digits) {
        unsigned digit = unsigned(text[pos] - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            value = std::numeric_limits<std::uint64_t>::max();
        } else {
            value = value * 10 + digit;
        }
        ++pos;
        ++count;
    }
    if (taken)
        *taken = count;
    return value;
}

std::int64_t Signed(bool negative, std::uint64_t magnitude) {
    if (negative) {
        return magnitude >= kNegativeLimit ? std::numeric_limits<std::int64_t>::min()
                                           : -std::int64_t(magnitude);
    }
    return magnitude > std::uint64_t(std::numeric_limits<std::int64_t>::max())
               ? std::numeric_limits<std::int64_t>::max()
               : std::int64_t(magnitude);
}

std::int64_t ReadInteger(std::string_view text) {
    std::size_t pos = 0;
    bool negative = text[0] == '-';
    if (negative)
        ++pos;
    return Signed(negative, ReadDigits(text, pos, std::string_view::npos));
}

std::int64_t ReadFixedPoint(std::string_view text) {
    std::size_t pos = 0;
    bool negative = text[0] == '-';
    if (negative)
        ++pos;
    std::uint64_t whole = ReadDigits(text, pos, std::string_view::npos);
    std::uint64_t fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        std::size_t taken = 0;
        fraction = ReadDigits(text, pos, 4, &taken);
        for (; taken < 4; ++taken)
            fraction *= 10;
    }
    std::uint64_t units = 0;
    if (whole > (std::numeric_limits<std::uint64_t>::max() - fraction) / kUnitsPerOne) {
        units = std::numeric_limits<std::uint64_t>::max();
    } else {
        units = whole * kUnitsPerOne + fraction;
    }
    return Signed(negative, units);
}

locale_t CLocale() {
    static const locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    return c_locale;
}

double ReadFloating(std::string_view text) {
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc())
        return value;
    if (error != std::errc::result_out_of_range)
        return 0.0;  // no digits at all: "-e5"
    // from_chars does not say which way the range was left; tiny values must become
    // subnormal or zero, huge ones are the reader's one error.
    std::string prefix(text.data(), end);
    value = strtod_l(prefix.c_str(), nullptr, CLocale());
    if (std::isinf(value)) {
        std::string shown =
            text.size() > 40 ? std::string(text.substr(0, 40)) + "..." : std::string(text);
        throw EReplyOverflow("Number beyond the range of a double: " + shown);
    }
    return value;
}

void AppendAscii(std::u16string& out, const char* begin, const char* end) {
    for (; begin != end; ++begin)
        out.push_back(char16_t(static_cast<unsigned char>(*begin)));
}

}  // namespace

Number ReadNumber(std::string_view text) {
    bool exponent = text.find_first_of("Ee") != std::string_view::npos;
    std::size_t point = text.find('.');
    std::size_t places = 0;
    if (point != std::string_view::npos) {
        for (std::size_t i = point + 1; i < text.size() && IsDigit(text[i]); ++i)
            ++places;
    }
    if (exponent || places > 4) {
        return {ReplyValue::Kind::Floating, 0, ReadFloating(text)};
    }
    if (point != std::string_view::npos) {
        return {ReplyValue::Kind::FixedPoint, ReadFixedPoint(text), 0.0};
    }
    return {ReplyValue::Kind::Integer, ReadInteger(text), 0.0};
}

void AppendInteger(std::u16string& out, std::int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    AppendAscii(out, buffer, result.ptr);
}

void AppendFixedPoint(std::u16string& out, std::int64_t units) {
    std::uint64_t magnitude =
        units < 0 ? std::uint64_t(0) - std::uint64_t(units) : std::uint64_t(units);
    if (units < 0)
        out.push_back(u'-');
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude / kUnitsPerOne);
    AppendAscii(out, buffer, result.ptr);
    unsigned fraction = unsigned(magnitude % kUnitsPerOne);
    if (fraction == 0)
        return;
    char places[4];
    for (int i = 3; i >= 0; --i, fraction /= 10)
        places[i] = char('0' + fraction % 10);
    int used = 4;
    while (places[used - 1] == '0')
        --used;
    out.push_back(u'.');
    AppendAscii(out, places, places + used);
}

void AppendFloating(std::u16string& out, double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        // Parsing never yields an infinity or NaN; zero of either sign is written "0".
        out.push_back(u'0');
        return;
    }
    // 15 significant digits as d.dddddddddddddde±x, correctly rounded, locale-free.
    char buffer[40];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific, 14);
    std::string_view sci(buffer, result.ptr);
    std::size_t e_pos = sci.find('e');
    std::string digits;
    digits.push_back(sci[0]);
    for (std::size_t i = 2; i < e_pos; ++i)
        digits.push_back(sci[i]);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = 0;
    std::string_view exp_text = sci.substr(e_pos + 1);
    if (exp_text[0] == '+')
        exp_text.remove_prefix(1);
    std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);

    if (value < 0)
        out.push_back(u'-');
    const int k = exponent + 1;  // value = 0.d1d2... x 10^k
    const int count = int(digits.size());
    if (k >= -3 && k <= 15) {
        if (k <= 0) {
            out += u"0.";
            out.append(std::size_t(-k), u'0');
            AppendAscii(out, digits.data(), digits.data() + count);
        } else if (k >= count) {
            AppendAscii(out, digits.data(), digits.data() + count);
            out.append(std::size_t(k - count), u'0');
        } else {
            AppendAscii(out, digits.data(), digits.data() + k);
            out.push_back(u'.');
            AppendAscii(out, digits.data() + k, digits.data() + count);
        }
        return;
    }
    out.push_back(char16_t(digits[0]));
    if (count > 1) {
        out.push_back(u'.');
        AppendAscii(out, digits.data() + 1, digits.data() + count);
    }
    out.push_back(u'E');
    if (exponent < 0)
        out.push_back(u'-');
    char buffer_exp[8];
    auto exp_result = std::to_chars(buffer_exp, buffer_exp + sizeof buffer_exp,
                                    exponent < 0 ? -exponent : exponent);
    AppendAscii(out, buffer_exp, exp_result.ptr);
}

}  // namespace reply::detail
