#pragma once
// Private to the reader: the storage of one tree and the making of its nodes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "reply/reply_value.h"

namespace reply::detail {

// Bump allocator holding every node, text and table of one tree; freed as a whole,
// which is why nodes must stay trivially destructible.
class Arena {
  public:
    explicit Arena(std::size_t first_chunk_bytes);
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    void* Allocate(std::size_t bytes, std::size_t align);

    template <class T>
    T* AllocateArray(std::size_t count) {
        return static_cast<T*>(Allocate(count * sizeof(T), alignof(T)));
    }

  private:
    std::vector<std::unique_ptr<std::byte[]>> chunks_;
    std::byte* next_ = nullptr;
    std::byte* limit_ = nullptr;
    std::size_t chunk_bytes_;
};

// Makes nodes in an arena. Null, booleans and the empty string are shared by all
// trees: they hold nothing that belongs to one tree.
class TreeBuilder {
  public:
    explicit TreeBuilder(Arena& arena) : arena_(arena) {}

    static const ReplyValue* Null() noexcept;
    static const ReplyValue* Boolean(bool value) noexcept;
    static const ReplyValue* EmptyString() noexcept;

    const ReplyValue* Integer(std::int64_t value);
    const ReplyValue* FixedPoint(std::int64_t units);
    const ReplyValue* Floating(double value);
    const ReplyValue* String(std::u16string_view text);
    const ReplyValue* Array(std::span<const ReplyValue* const> elements);
    // `members` must already be in key order with unique names, their names in the arena.
    const ReplyValue* Object(std::span<const ReplyValue::Member> members);

    std::u16string_view CopyText(std::u16string_view text);

  private:
    ReplyValue* NewNode(ReplyValue::Kind kind);

    Arena& arena_;
};

// The 32-bit key that orders object members in the text form.
constexpr std::uint32_t MemberKey(std::u16string_view name) noexcept {
    std::uint32_t key = 0;
    for (char16_t c : name)
        key = key * 129u + c + 0x9E370001u;
    return key;
}

// Text-form order of members: descending key, then ascending name.
constexpr bool MemberBefore(std::uint32_t key_a, std::u16string_view name_a, std::uint32_t key_b,
                            std::u16string_view name_b) noexcept {
    if (key_a != key_b)
        return key_a > key_b;
    return name_a < name_b;
}

}  // namespace reply::detail
