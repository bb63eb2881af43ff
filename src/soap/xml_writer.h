#pragma once
// Writing XML documents with libxml2's writer, into a string or a stream. Text is
// escaped by the writer; characters XML 1.0 cannot carry become U+FFFD first.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct _xmlTextWriter;

namespace soap {

class MemoryStream;

class XmlWriter {
  public:
    explicit XmlWriter(std::string& out);
    explicit XmlWriter(MemoryStream& out);
    ~XmlWriter();
    XmlWriter(const XmlWriter&) = delete;
    XmlWriter& operator=(const XmlWriter&) = delete;

    // The XML declaration; `encoding` empty leaves it out of the declaration.
    void StartDocument(std::string_view encoding = {});
    void StartElement(std::string_view name);
    void Attribute(std::string_view name, std::string_view value);
    void Text(std::string_view utf8);
    // Written as it stands: only for text that needs no escaping, such as base64.
    void Raw(std::string_view text);
    void EndElement();
    // Closes every open element and flushes; nothing may be written after it.
    void EndDocument();

  private:
    explicit XmlWriter(std::function<void(const char*, std::size_t)> sink);

    std::function<void(const char*, std::size_t)> sink_;
    std::unique_ptr<_xmlTextWriter, void (*)(_xmlTextWriter*)> writer_;
};

// The text with every character XML 1.0 cannot carry (C0 controls but tab, line feed
// and carriage return; U+FFFE, U+FFFF; bytes that are not UTF-8) as U+FFFD.
std::string XmlSafeText(std::string_view utf8);

}  // namespace soap
