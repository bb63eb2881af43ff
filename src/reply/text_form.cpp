// AsText: the text form of a value. Compact JSON for arrays and objects, with only the
// quotation mark, the backslash and U+0000 escaped inside quotes.

#include "reply/number.h"
#include "reply/reply.h"

namespace reply {
namespace {

void AppendQuoted(std::u16string& out, std::u16string_view text) {
    out.push_back(u'"');
    for (char16_t c : text) {
        switch (c) {
            case u'"':
                out += u"\\\"";
                break;
            case u'\\':
                out += u"\\\\";
                break;
            case u'\0':
                out += u"\\u0000";
                break;
            default:
                out.push_back(c);
        }
    }
    out.push_back(u'"');
}

void AppendValue(std::u16string& out, const ReplyValue& value, bool nested) {
    using Kind = ReplyValue::Kind;
    switch (value.kind()) {
        case Kind::Null:
            out += u"null";
            break;
        case Kind::Boolean:
            out += value.boolean() ? u"true" : u"false";
            break;
        case Kind::Integer:
            detail::AppendInteger(out, value.integer());
            break;
        case Kind::FixedPoint:
            detail::AppendFixedPoint(out, value.fixed_units());
            break;
        case Kind::Floating:
            detail::AppendFloating(out, value.floating());
            break;
        case Kind::String:
            if (nested) {
                AppendQuoted(out, value.string());
            } else {
                out += value.string();
            }
            break;
        case Kind::Array: {
            out.push_back(u'[');
            bool first = true;
            for (const ReplyValue* element : value.elements()) {
                if (!first)
                    out.push_back(u',');
                first = false;
                AppendValue(out, *element, true);
            }
            out.push_back(u']');
            break;
        }
        case Kind::Object: {
            out.push_back(u'{');
            bool first = true;
            for (const ReplyValue::Member& member : value.members()) {
                if (!first)
                    out.push_back(u',');
                first = false;
                AppendQuoted(out, member.name);
                out.push_back(u':');
                AppendValue(out, *member.value, true);
            }
            out.push_back(u'}');
            break;
        }
    }
}

}  // namespace

std::u16string AsText(const ReplyValue& value) {
    std::u16string out;
    AppendValue(out, value, false);
    return out;
}

std::u16string AsText(const ReplyPtr& value) {
    return value ? AsText(*value) : std::u16string();
}

}  // namespace reply
