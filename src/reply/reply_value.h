#pragma once
// One node of a parsed reply. Nodes are made only by ParseReply and never change
// afterwards; a node is reached through a ReplyPtr, which keeps its whole tree alive.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace reply {

namespace detail {
class TreeBuilder;
}

class ReplyValue {
  public:
    enum class Kind : std::uint8_t {
        Null,
        Boolean,
        Integer,
        FixedPoint,  // a decimal with exactly four places, held as ten-thousandths
        Floating,
        String,
        Array,
        Object,
    };

    // An object member. `key` is the 32-bit key of the name that orders members in the
    // text form; members() lists them in that order, each name once.
    struct Member {
        std::u16string_view name;
        std::uint32_t key;
        const ReplyValue* value;
    };

    ReplyValue(const ReplyValue&) = delete;
    ReplyValue& operator=(const ReplyValue&) = delete;

    Kind kind() const noexcept { return kind_; }

    // Each accessor answers for its own kind and gives a zero value for any other.
    bool boolean() const noexcept { return kind_ == Kind::Boolean && u_.boolean; }
    std::int64_t integer() const noexcept { return kind_ == Kind::Integer ? u_.number : 0; }
    std::int64_t fixed_units() const noexcept { return kind_ == Kind::FixedPoint ? u_.number : 0; }
    double floating() const noexcept { return kind_ == Kind::Floating ? u_.floating : 0.0; }
    std::u16string_view string() const noexcept {
        return kind_ == Kind::String && size_ != 0 ? std::u16string_view(u_.chars, size_)
                                                   : std::u16string_view();
    }

    // Raw views for walking a tree; valid while a ReplyPtr into the tree is held.
    // Prefer ElementAt and the member lookups, which hand out owning pointers.
    std::span<const ReplyValue* const> elements() const noexcept {
        return kind_ == Kind::Array ? std::span(u_.elements, size_)
                                    : std::span<const ReplyValue* const>();
    }
    std::span<const Member> members() const noexcept {
        return kind_ == Kind::Object ? std::span(u_.members, size_) : std::span<const Member>();
    }

  private:
    friend class detail::TreeBuilder;

    constexpr explicit ReplyValue(Kind kind, bool boolean = false) noexcept
        : kind_(kind), size_(0), u_{.boolean = boolean} {}

    Kind kind_;
    std::size_t size_;  // code units of a string, elements of an array, members of an object
    union {
        bool boolean;
        std::int64_t number;
        double floating;
        const char16_t* chars;
        const ReplyValue* const* elements;
        const Member* members;
    } u_;
};

// Shared, read-only handle on a node. Null stands for "none".
using ReplyPtr = std::shared_ptr<const ReplyValue>;

}  // namespace reply
