#include "describe.h"

#include "base/utf.h"

namespace reply::test {

std::string KindName(ReplyValue::Kind kind) {
    switch (kind) {
        case ReplyValue::Kind::Null:
            return "null";
        case ReplyValue::Kind::Boolean:
            return "boolean";
        case ReplyValue::Kind::Integer:
            return "integer";
        case ReplyValue::Kind::FixedPoint:
            return "fixed";
        case ReplyValue::Kind::Floating:
            return "floating";
        case ReplyValue::Kind::String:
            return "string";
        case ReplyValue::Kind::Array:
            return "array";
        case ReplyValue::Kind::Object:
            return "object";
    }
    return "?";
}

std::string Describe(const ReplyPtr& value) {
    if (!value)
        return "none";
    return KindName(value->kind()) + ":" + quillory::Utf16ToUtf8(AsText(value));
}

std::string ParseAndDescribe(std::u16string_view text) {
    return Describe(ParseReply(text));
}

std::string ParseAndDescribe(std::string_view utf8) {
    return ParseAndDescribe(std::u16string_view(quillory::Utf8ToUtf16(utf8)));
}

}  // namespace reply::test
