#pragma once
// Chinese text from one script to another: Simplified to Traditional and back, with the
// Taiwan and Hong Kong standards, by OpenCC's phrase and character dictionaries. What is not
// Chinese passes unchanged.

#include <memory>

#include "reply/reading.h"
#include <string>
#include <string_view>
#include <vector>

namespace conversion {

// The conversions by name: s2t, t2s, s2tw, tw2s, s2hk, hk2s.
const std::vector<std::string>& ConversionNames();

class ScriptConverter {
  public:
    // Throws quillory::Exception for a name ConversionNames does not list, or dictionaries
    // that cannot be loaded.
    explicit ScriptConverter(const std::string& name);
    ~ScriptConverter();
    ScriptConverter(const ScriptConverter&) = delete;
    ScriptConverter& operator=(const ScriptConverter&) = delete;

    // One converter serves one thread at a time.
    std::string Convert(std::string_view utf8) const;
    std::u16string Convert(std::u16string_view text) const;

    // The reading's lines and its tables' cells converted in place.
    void Convert(reply::Reading& reading) const;

  private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

}  // namespace conversion
