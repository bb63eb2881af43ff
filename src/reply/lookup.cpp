// Member and element lookups. None of them fails: a wrong kind, a missing member or an
// index out of range gives none, the empty text or a null value.

#include <algorithm>

#include "reply/reply.h"
#include "reply/tree_builder.h"

namespace reply {
namespace {

const ReplyValue* FindMember(const ReplyValue& object, std::u16string_view name) {
    auto members = object.members();
    const std::uint32_t key = detail::MemberKey(name);
    // Members are stored in text-form order, so a binary search finds the name.
    auto it = std::lower_bound(members.begin(), members.end(), name,
                               [key](const ReplyValue::Member& m, std::u16string_view n) {
                                   return detail::MemberBefore(m.key, m.name, key, n);
                               });
    if (it == members.end() || it->key != key || it->name != name)
        return nullptr;
    return it->value;
}

}  // namespace

ReplyPtr ArrayMember(const ReplyPtr& value, std::u16string_view name) {
    if (!value)
        return nullptr;
    const ReplyValue* member = FindMember(*value, name);
    if (member == nullptr || member->kind() != ReplyValue::Kind::Array)
        return nullptr;
    return ReplyPtr(value, member);
}

std::u16string StringMember(const ReplyPtr& value, std::u16string_view name) {
    if (!value)
        return {};
    const ReplyValue* member = FindMember(*value, name);
    return member ? AsText(*member) : std::u16string();
}

std::size_t ElementCount(const ReplyPtr& array) {
    return array ? array->elements().size() : 0;
}

ReplyPtr ElementAt(const ReplyPtr& array, std::size_t index) {
    if (array && index < array->elements().size()) {
        return ReplyPtr(array, array->elements()[index]);
    }
    // The shared null node belongs to no tree, so it needs no owner.
    return ReplyPtr(ReplyPtr(), detail::TreeBuilder::Null());
}

}  // namespace reply
