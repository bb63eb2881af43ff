// Fuzz target for the reply reader: any text gives a value, none, or EReplyOverflow,
// and whatever it gives can be written out and read back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reply/reply.h"

namespace {

// Bytes become code units one for one, so JSON seeds stay readable; 0xFF takes the next
// two bytes as one code unit, so surrogates and CJK text are reachable too.
std::u16string CodeUnits(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && i + 2 < size) {
            text.push_back(char16_t(data[i + 1] << 8 | data[i + 2]));
            i += 2;
        } else {
            text.push_back(data[i]);
        }
    }
    return text;
}

void Walk(const reply::ReplyPtr& value, int level) {
    if (level > 32)
        std::abort();  // deeper than the reader allows
    for (std::size_t i = 0, n = reply::ElementCount(value); i < n; ++i) {
        Walk(reply::ElementAt(value, i), level + 1);
    }
    (void)reply::ArrayMember(value, u"words_result");
    (void)reply::StringMember(value, u"words");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = CodeUnits(data, size);
    reply::ReplyPtr value;
    try {
        value = reply::ParseReply(text);
    } catch (const reply::EReplyOverflow&) {
        return 0;
    }
    if (!value)
        return 0;
    Walk(value, 0);
    const std::u16string form = reply::AsText(value);
    // The bare top string is the one form that is not JSON; everything else reads back.
    if (value->kind() == reply::ReplyValue::Kind::String)
        return 0;
    reply::ReplyPtr again;
    try {
        again = reply::ParseReply(form);
    } catch (const reply::EReplyOverflow&) {
        // 15 digits of a number next to the largest double round beyond it.
        return 0;
    }
    if (!again || reply::AsText(again) != form)
        std::abort();
    return 0;
}
