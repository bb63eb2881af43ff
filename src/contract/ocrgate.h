#pragma once
// The service interface `ocrgateSoap` as the client calls it, and its registration.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "contract/contract.h"

namespace ocrgate {

// The three operations of the service, in declaration order. Every result is a text.
class ocrgateSoap {
  public:
    virtual ~ocrgateSoap() = default;
    virtual std::u16string HelloWorld() = 0;
    virtual std::u16string quillory(std::u16string_view url) = 0;
    virtual std::u16string imgbase64totext(std::span<const std::uint8_t> img) = 0;
};

enum class InvocationStyle { Document, Rpc };

// What the registry knows of one service interface.
struct InterfaceInfo {
    std::string name;
    std::string targetNamespace;
    std::string encoding;        // of the service description
    std::string actionTemplate;  // holds kOperationPlaceholder once
    InvocationStyle style = InvocationStyle::Document;
    std::string returnNames;  // empty: the readers' default list applies
    std::vector<Operation> operations;

    // The action of operations[index]: the template with its first placeholder replaced.
    std::string ActionFor(std::size_t index) const;
};

inline constexpr std::string_view kInterfaceName = "ocrgateSoap";

// Registered interfaces. Registration happens at start-up; lookups may come from any thread.
class InvRegistry {
  public:
    static InvRegistry& Instance();

    void RegisterInterface(InterfaceInfo info);  // replaces an earlier one of the same name
    std::optional<InterfaceInfo> Lookup(std::string_view name) const;

  private:
    InvRegistry() = default;
    struct Impl;
    static Impl& State();
};

// The registration of `ocrgateSoap`; done once before main runs, harmless to repeat.
void RegisterOcrgateSoap();

}  // namespace ocrgate
