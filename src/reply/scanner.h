#pragma once
// Private to the reader: the code-unit level of parsing. Whitespace and comments,
// escapes, and runs of characters up to a stop character.

#include <string>
#include <string_view>

namespace reply::detail {

// Thrown inside the parser for a text that cannot be read; ParseReply gives none for it.
struct Unreadable {};

class Scanner {
  protected:
    explicit Scanner(std::u16string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

    bool AtEnd() const { return p_ == end_; }

    // Whitespace and comments. Before or inside the top value a comment the text leaves
    // open is unreadable; after the top value it is not.
    void SkipSpace(bool after_top);

    // The character after a backslash, decoded; p_ stands on it.
    char16_t ReadEscape();

    // Characters up to a stop character (left in place) or the end of the text, escapes
    // decoded. When `nul_ends`, an escaped U+0000 ends the result and the rest of the run
    // is dropped. The view lives until the next call.
    template <class Stop>
    std::u16string_view ReadRun(Stop stop, bool nul_ends) {
        const char16_t* start = p_;
        while (p_ != end_ && *p_ != u'\\' && !stop(*p_))
            ++p_;
        if (p_ == end_ || *p_ != u'\\')
            return {start, std::size_t(p_ - start)};

        scratch_.assign(start, p_);
        bool cut = false;
        while (p_ != end_ && !stop(*p_)) {
            char16_t c = *p_++;
            if (c == u'\\') {
                c = ReadEscape();
                if (c == 0 && nul_ends)
                    cut = true;
            }
            if (!cut)
                scratch_.push_back(c);
        }
        return scratch_;
    }

    const char16_t* p_;
    const char16_t* const end_;

  private:
    std::u16string scratch_;
};

}  // namespace reply::detail
