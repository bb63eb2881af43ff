#pragma once
// The request message of an operation: a SOAP 1.1 envelope in document style with the
// operation's wrapper element and its parameter, as UTF-8 bytes without a byte-order mark.

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "contract/ocrgate.h"
#include "soap/stream.h"

namespace soap {

// The argument of an operation: none, a text, or a byte array (sent as base64).
using Argument = std::variant<std::monostate, std::u16string_view, std::span<const std::uint8_t>>;

MemoryStream BuildRequest(const ocrgate::InterfaceInfo& intf, const ocrgate::Operation& operation,
                          const Argument& argument);

}  // namespace soap
