#include "reply/scanner.h"

namespace reply::detail {
namespace {

// U+000B is left out on purpose: it starts a bare word.
constexpr bool IsSpace(char16_t c) {
    return c == 0x20 || c == 0x0A || c == 0x0D || c == 0x09 || c == 0x08 || c == 0x0C;
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

}  // namespace

void Scanner::SkipSpace(bool after_top) {
    while (p_ != end_) {
        char16_t c = *p_;
        if (IsSpace(c)) {
            ++p_;
            continue;
        }
        if (c != u'/')
            return;
        if (end_ - p_ < 2)
            throw Unreadable{};
        const char16_t* close = nullptr;
        if (p_[1] == u'*') {
            // A block comment ends at the first "*/" after its opening.
            std::u16string_view rest(p_ + 2, std::size_t(end_ - p_ - 2));
            std::size_t at = rest.find(u"*/");
            if (at != std::u16string_view::npos)
                close = p_ + 2 + at + 2;
        } else if (p_[1] == u'/') {
            std::u16string_view rest(p_ + 2, std::size_t(end_ - p_ - 2));
            std::size_t at = rest.find(u'\n');
            if (at != std::u16string_view::npos)
                close = p_ + 2 + at + 1;
        } else {
            throw Unreadable{};
        }
        if (close == nullptr) {
            if (!after_top)
                throw Unreadable{};
            p_ = end_;
            return;
        }
        p_ = close;
    }
}

char16_t Scanner::ReadEscape() {
    if (AtEnd())
        throw Unreadable{};
    char16_t c = *p_++;
    int digits = 0;
    switch (c) {
        case u'b':
            return 0x08;
        case u't':
            return 0x09;
        case u'n':
            return 0x0A;
        case u'f':
            return 0x0C;
        case u'r':
            return 0x0D;
        case u'u':
            digits = 4;
            break;
        case u'x':
            digits = 2;
            break;
        default:
            return c;
    }
    unsigned value = 0;
    for (int i = 0; i < digits; ++i) {
        int digit = AtEnd() ? -1 : HexValue(*p_);
        if (digit < 0)
            throw Unreadable{};
        value = value * 16 + unsigned(digit);
        ++p_;
    }
    return char16_t(value);
}

}  // namespace reply::detail
