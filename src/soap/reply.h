#pragma once
// Reading a reply envelope into the operation's result text, or into the error it carries.

#include <cstdint>
#include <span>
#include <string>

#include "contract/ocrgate.h"
#include "soap/stream.h"

namespace soap {

// Reads from the start of the stream. Raises ESOAPDomConvertError, ERemotableException,
// EDOMParseError or EXMLDocError.
std::u16string ReadReply(Stream& reply, const ocrgate::InterfaceInfo& intf,
                         const ocrgate::Operation& operation);

std::u16string ReadReply(std::span<const std::uint8_t> reply, const ocrgate::InterfaceInfo& intf,
                         const ocrgate::Operation& operation);

}  // namespace soap
