#pragma once
// The reply reader: turns the recognition service's reply text, a JSON document read
// leniently, into a tree of values and answers the lookups the result display needs.
//
//   reply::ReplyPtr doc = reply::ParseReply(text);   // may throw reply::EReplyOverflow
//   if (!doc) return;                                // the text cannot be read
//   reply::ReplyPtr lines = reply::ArrayMember(doc, u"words_result");
//   for (std::size_t i = 0, n = reply::ElementCount(lines); i < n; ++i)
//       show(reply::StringMember(reply::ElementAt(lines, i), u"words"));
//
// Leniency, in short: comments (/* */ and //), strings and names in apostrophes, unquoted
// names (taken verbatim up to ":"), bare words as string values, trailing commas, empty
// elements and member values, and any text after the top value. The text ends at its
// first U+0000. Nesting deeper than level 31 (the top value is level 0) is refused.
//
// Trees are immutable and shared: every ReplyPtr handed out, the top one or one taken
// from inside, keeps the whole tree alive. Lookups never throw.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "reply/reply_value.h"

namespace reply {

// A floating number in the reply lies beyond the range of a double. The only error the
// reader raises; every other unreadable text gives none.
class EReplyOverflow : public quillory::Exception {
  public:
    using quillory::Exception::Exception;
};

// The tree of `text`, or none when the text cannot be read. An empty or whitespace-only
// text gives the empty string. Throws EReplyOverflow for a number beyond a double.
ReplyPtr ParseReply(std::u16string_view text);

// The member `name` (matched exactly, code unit by code unit) of an object when it is an
// array; none for a missing member, a member of another kind, or a value that is not an
// object (or none).
ReplyPtr ArrayMember(const ReplyPtr& value, std::u16string_view name);

// AsText of the member `name` of an object; the empty text when `value` is not an object
// or has no such member.
std::u16string StringMember(const ReplyPtr& value, std::u16string_view name);

// Number of elements of an array; 0 for anything else, none included.
std::size_t ElementCount(const ReplyPtr& array);

// Element `index` of an array; a null value (never none) when the index is out of range
// or `array` is not an array.
ReplyPtr ElementAt(const ReplyPtr& array, std::size_t index);

// The text form: a string as stored (no quotes); null, true, false; numbers in their
// shortest form ("2.5", "3", "1000", "1E20"); arrays and objects as compact JSON with
// members in key order. Gives the empty text for none.
std::u16string AsText(const ReplyValue& value);
std::u16string AsText(const ReplyPtr& value);

}  // namespace reply
