// ParseReply: one pass, front to back, over the UTF-16 code units of a reply.

#include <algorithm>
#include <string>
#include <vector>

#include "reply/number.h"
#include "reply/reply.h"
#include "reply/scanner.h"
#include "reply/tree_builder.h"

namespace reply {
namespace {

using detail::TreeBuilder;
using detail::Unreadable;
using Member = ReplyValue::Member;

// An array or object at this level may only be empty.
constexpr int kDeepestLevel = 31;

// Where a value stands decides where a bare word ends.
enum class Place { Top, Element, MemberValue };

constexpr bool IsNumberChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'.' || c == u'e' ||
           c == u'E';
}

// A complete literal directly followed by one of these is the start of a bare word.
constexpr bool ContinuesWord(char16_t c) {
    return c == u'.' || c == u'_' || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c > 0xFF;
}

constexpr bool BeginsNoName(char16_t c) {
    return c == u'(' || c == u')' || c == u',' || c == u'.' || c == u':' || c == u'[' ||
           c == u']' || c == u'{';
}

struct PendingMember {
    Member member;
    std::size_t order;  // position in the text, so that a later duplicate wins
};

class Parser : private detail::Scanner {
  public:
    Parser(std::u16string_view text, detail::Arena& arena) : Scanner(text), builder_(arena) {}

    const ReplyValue* ParseDocument() {
        const ReplyValue* top = ParseValue(0, Place::Top);
        SkipSpace(true);
        return top;
    }

  private:
    const ReplyValue* ParseValue(int level, Place place) {
        SkipSpace(false);
        // "(" is passed over; whatever follows it, whitespace included, starts the value.
        while (p_ != end_ && *p_ == u'(')
            ++p_;
        if (AtEnd())
            return ParseBareWord(place);
        switch (*p_) {
            case u'"':
            case u'\'':
                return ParseString();
            case u'[':
                return ParseArray(level);
            case u'{':
                return ParseObject(level);
            case u'n':
                return ParseLiteral(u"null", TreeBuilder::Null(), place);
            case u't':
                return ParseLiteral(u"true", TreeBuilder::Boolean(true), place);
            case u'f':
                return ParseLiteral(u"false", TreeBuilder::Boolean(false), place);
            default:
                if (*p_ == u'-' || (*p_ >= u'0' && *p_ <= u'9'))
                    return ParseNumber();
                return ParseBareWord(place);
        }
    }

    const ReplyValue* ParseString() {
        const char16_t quote = *p_++;
        std::u16string_view text = ReadRun([quote](char16_t c) { return c == quote; }, false);
        if (AtEnd())
            throw Unreadable{};
        ++p_;
        return builder_.String(text);
    }

    const ReplyValue* ParseLiteral(std::u16string_view literal, const ReplyValue* value,
                                   Place place) {
        if (std::size_t(end_ - p_) < literal.size() ||
            !std::equal(literal.begin(), literal.end(), p_) ||
            (std::size_t(end_ - p_) > literal.size() && ContinuesWord(p_[literal.size()]))) {
            return ParseBareWord(place);
        }
        p_ += literal.size();
        return value;
    }

    const ReplyValue* ParseNumber() {
        const char16_t* start = p_;
        while (p_ != end_ && IsNumberChar(*p_))
            ++p_;
        number_text_.assign(start, p_);  // the run is ASCII, so narrowing keeps it whole
        detail::Number number = detail::ReadNumber(number_text_);
        switch (number.kind) {
            case ReplyValue::Kind::Integer:
                return builder_.Integer(number.units);
            case ReplyValue::Kind::FixedPoint:
                return builder_.FixedPoint(number.units);
            default:
                return builder_.Floating(number.floating);
        }
    }

    const ReplyValue* ParseBareWord(Place place) {
        std::u16string_view word;
        switch (place) {
            case Place::Top:
                word = ReadRun([](char16_t) { return false; }, true);
                break;
            case Place::Element:
                word = ReadRun([](char16_t c) { return c == u',' || c == u']'; }, true);
                break;
            case Place::MemberValue:
                word = ReadRun([](char16_t c) { return c == u',' || c == u'}'; }, true);
                break;
        }
        while (!word.empty() &&
               (word.back() == 0x20 || word.back() == 0x0D || word.back() == 0x0A)) {
            word.remove_suffix(1);
        }
        return builder_.String(word);
    }

    const ReplyValue* ParseArray(int level) {
        ++p_;
        SkipSpace(false);
        const std::size_t mark = elements_.size();
        if (p_ != end_ && *p_ == u']') {
            ++p_;
        } else {
            for (;;) {
                if (level == kDeepestLevel)
                    throw Unreadable{};
                elements_.push_back(ParseValue(level + 1, Place::Element));
                if (ClosesAfterItem(u']'))
                    break;
            }
        }
        const ReplyValue* array =
            builder_.Array(std::span(elements_.data() + mark, elements_.size() - mark));
        elements_.resize(mark);
        return array;
    }

    // After an element or member: true when `closer` ends the container, false after the
    // comma that separates it from the next. A comma before the closer also ends it.
    bool ClosesAfterItem(char16_t closer) {
        SkipSpace(false);
        if (AtEnd())
            throw Unreadable{};
        if (*p_ == closer) {
            ++p_;
            return true;
        }
        if (*p_ != u',')
            throw Unreadable{};
        ++p_;
        SkipSpace(false);
        if (p_ != end_ && *p_ == closer) {
            ++p_;
            return true;
        }
        return false;
    }

    std::u16string_view ParseName() {
        if (AtEnd())
            throw Unreadable{};
        std::u16string_view name;
        const char16_t first = *p_;
        if (first == u'"' || first == u'\'') {
            ++p_;
            name = ReadRun([first](char16_t c) { return c == first; }, true);
            if (AtEnd())
                throw Unreadable{};
            ++p_;
        } else if (BeginsNoName(first)) {
            throw Unreadable{};
        } else {
            // Verbatim up to ":": spaces inside and before it belong to the name.
            name = ReadRun([](char16_t c) { return c == u':'; }, true);
        }
        return builder_.CopyText(name);
    }

    const ReplyValue* ParseObject(int level) {
        ++p_;
        SkipSpace(false);
        const std::size_t mark = members_.size();
        if (p_ != end_ && *p_ == u'}') {
            ++p_;
        } else {
            for (;;) {
                if (level == kDeepestLevel)
                    throw Unreadable{};
                std::u16string_view name = ParseName();
                SkipSpace(false);
                if (AtEnd() || *p_ != u':')
                    throw Unreadable{};
                ++p_;
                const ReplyValue* value = ParseValue(level + 1, Place::MemberValue);
                members_.push_back(
                    {{name, detail::MemberKey(name), value}, members_.size() - mark});
                if (ClosesAfterItem(u'}'))
                    break;
            }
        }
        const ReplyValue* object = FinishObject(mark);
        members_.resize(mark);
        return object;
    }

    // Orders the members for the text form and keeps, of each name, the value given last.
    const ReplyValue* FinishObject(std::size_t mark) {
        auto begin = members_.begin() + std::ptrdiff_t(mark);
        std::sort(begin, members_.end(), [](const PendingMember& a, const PendingMember& b) {
            if (a.member.key != b.member.key || a.member.name != b.member.name) {
                return detail::MemberBefore(a.member.key, a.member.name, b.member.key,
                                            b.member.name);
            }
            return a.order > b.order;
        });
        unique_.clear();
        for (auto it = begin; it != members_.end(); ++it) {
            if (!unique_.empty() && unique_.back().key == it->member.key &&
                unique_.back().name == it->member.name) {
                continue;
            }
            unique_.push_back(it->member);
        }
        return builder_.Object(unique_);
    }

    TreeBuilder builder_;
    std::vector<const ReplyValue*> elements_;  // elements of the arrays still open
    std::vector<PendingMember> members_;       // members of the objects still open
    std::vector<Member> unique_;
    std::string number_text_;
};

}  // namespace

ReplyPtr ParseReply(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    auto arena = std::make_shared<detail::Arena>(text.size() * sizeof(char16_t));
    try {
        Parser parser(text, *arena);
        const ReplyValue* top = parser.ParseDocument();
        return ReplyPtr(std::move(arena), top);
    } catch (const Unreadable&) {
        return nullptr;
    }
}

}  // namespace reply
