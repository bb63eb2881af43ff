#include "reply/tree_builder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

namespace reply::detail {

static_assert(std::is_trivially_destructible_v<ReplyValue>);
static_assert(std::is_trivially_destructible_v<ReplyValue::Member>);

Arena::Arena(std::size_t first_chunk_bytes)
    : chunk_bytes_(std::max<std::size_t>(first_chunk_bytes, 4096)) {}

void* Arena::Allocate(std::size_t bytes, std::size_t align) {
    if (bytes == 0)
        bytes = 1;
    auto fits = [&] {
        auto address = reinterpret_cast<std::uintptr_t>(next_);
        auto aligned = (address + align - 1) & ~(std::uintptr_t(align) - 1);
        return next_ != nullptr && aligned + bytes <= reinterpret_cast<std::uintptr_t>(limit_);
    };
    if (!fits()) {
        // Chunks double as the tree grows, so a tree costs a few allocations at most
        // and never more than about twice what it holds.
        std::size_t size = std::max(chunk_bytes_, bytes + align);
        chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        next_ = chunks_.back().get();
        limit_ = next_ + size;
        chunk_bytes_ = std::min<std::size_t>(chunk_bytes_ * 2, std::size_t(64) << 20);
    }
    auto address = reinterpret_cast<std::uintptr_t>(next_);
    auto aligned = (address + align - 1) & ~(std::uintptr_t(align) - 1);
    std::byte* result = next_ + (aligned - address);
    next_ = result + bytes;
    return result;
}

const ReplyValue* TreeBuilder::Null() noexcept {
    static constexpr ReplyValue value(ReplyValue::Kind::Null);
    return &value;
}

const ReplyValue* TreeBuilder::Boolean(bool value) noexcept {
    static constexpr ReplyValue yes(ReplyValue::Kind::Boolean, true);
    static constexpr ReplyValue no(ReplyValue::Kind::Boolean, false);
    return value ? &yes : &no;
}

const ReplyValue* TreeBuilder::EmptyString() noexcept {
    static constexpr ReplyValue value(ReplyValue::Kind::String);
    return &value;
}

ReplyValue* TreeBuilder::NewNode(ReplyValue::Kind kind) {
    return new (arena_.Allocate(sizeof(ReplyValue), alignof(ReplyValue))) ReplyValue(kind);
}

const ReplyValue* TreeBuilder::Integer(std::int64_t value) {
    ReplyValue* node = NewNode(ReplyValue::Kind::Integer);
    node->u_.number = value;
    return node;
}

const ReplyValue* TreeBuilder::FixedPoint(std::int64_t units) {
    ReplyValue* node = NewNode(ReplyValue::Kind::FixedPoint);
    node->u_.number = units;
    return node;
}

const ReplyValue* TreeBuilder::Floating(double value) {
    ReplyValue* node = NewNode(ReplyValue::Kind::Floating);
    node->u_.floating = value;
    return node;
}

const ReplyValue* TreeBuilder::String(std::u16string_view text) {
    if (text.empty())
        return EmptyString();
    ReplyValue* node = NewNode(ReplyValue::Kind::String);
    node->u_.chars = CopyText(text).data();
    node->size_ = text.size();
    return node;
}

const ReplyValue* TreeBuilder::Array(std::span<const ReplyValue* const> elements) {
    ReplyValue* node = NewNode(ReplyValue::Kind::Array);
    auto* table = arena_.AllocateArray<const ReplyValue*>(elements.size());
    std::copy(elements.begin(), elements.end(), table);
    node->u_.elements = table;
    node->size_ = elements.size();
    return node;
}

const ReplyValue* TreeBuilder::Object(std::span<const ReplyValue::Member> members) {
    ReplyValue* node = NewNode(ReplyValue::Kind::Object);
    auto* table = arena_.AllocateArray<ReplyValue::Member>(members.size());
    std::uninitialized_copy(members.begin(), members.end(), table);
    node->u_.members = table;
    node->size_ = members.size();
    return node;
}

std::u16string_view TreeBuilder::CopyText(std::u16string_view text) {
    auto* chars = arena_.AllocateArray<char16_t>(text.size());
    if (!text.empty())
        std::memcpy(chars, text.data(), text.size() * sizeof(char16_t));
    return {chars, text.size()};
}

}  // namespace reply::detail
