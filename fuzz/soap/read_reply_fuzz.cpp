// Arbitrary bytes as a reply body: every input must end in a result or one of the
// reader's own errors, never in a crash, a hang or an expansion.

#include <cstddef>
#include <cstdint>

#include "contract/ocrgate.h"
#include "soap/errors.h"
#include "soap/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ocrgate::InterfaceInfo intf =
        *ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap");
    try {
        soap::ReadReply(std::span<const std::uint8_t>(data, size), intf, intf.operations[1]);
    } catch (const soap::Exception&) {
    }
    return 0;
}
