#include "conversion/script_conversion.h"

#include <opencc/opencc.h>

#include <algorithm>
#include <cstdint>

#include "base/exception.h"
#include "base/utf.h"

namespace conversion {
namespace {

// The configuration OpenCC reads for each conversion, from its data folder.
struct Named {
    const char* name;
    const char* config;
};
constexpr Named kConversions[] = {{"s2t", "s2t.json"},   {"t2s", "t2s.json"},
                                  {"s2tw", "s2tw.json"}, {"tw2s", "tw2s.json"},
                                  {"s2hk", "s2hk.json"}, {"hk2s", "hk2s.json"}};

opencc_t Failed() {
    return reinterpret_cast<opencc_t>(static_cast<std::intptr_t>(-1));
}

}  // namespace

struct ScriptConverter::Handle {
    explicit Handle(opencc_t opened) : converter(opened) {}
    ~Handle() { opencc_close(converter); }
    opencc_t converter;
};

const std::vector<std::string>& ConversionNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const Named& c : kConversions)
            all.emplace_back(c.name);
        return all;
    }();
    return names;
}

ScriptConverter::ScriptConverter(const std::string& name) {
    const auto* found = std::find_if(std::begin(kConversions), std::end(kConversions),
                                     [&](const Named& c) { return name == c.name; });
    if (found == std::end(kConversions))
        throw quillory::Exception("No such conversion: " + name);
    const opencc_t opened = opencc_open(found->config);
    if (opened == Failed())
        throw quillory::Exception("The conversion " + name + " cannot be loaded: " +
                                  opencc_error());
    handle_ = std::make_unique<Handle>(opened);
}

ScriptConverter::~ScriptConverter() = default;

std::string ScriptConverter::Convert(std::string_view utf8) const {
    if (utf8.empty())
        return {};
    const std::unique_ptr<char, void (*)(char*)> converted(
        opencc_convert_utf8(handle_->converter, utf8.data(), utf8.size()),
        opencc_convert_utf8_free);
    if (!converted)
        throw quillory::Exception(std::string("The text cannot be converted: ") + opencc_error());
    return converted.get();
}

void ScriptConverter::Convert(reply::Reading& reading) const {
    for (reply::ResultLine& line : reading.lines)
        line.words = Convert(line.words);
    for (reply::ResultTable& table : reading.tables)
        for (reply::ResultCell& cell : table.cells)
            cell.words = Convert(cell.words);
}

std::u16string ScriptConverter::Convert(std::u16string_view text) const {
    return quillory::Utf8ToUtf16(Convert(quillory::Utf16ToUtf8(text)));
}

}  // namespace conversion
