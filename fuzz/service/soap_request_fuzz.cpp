// Feeds arbitrary bytes to the SOAP request reader and, for what it accepts,
// to the base64 decoder, as a request body would reach them.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/soap/soap_fault.h"
#include "service/soap/soap_request.h"
#include "soap/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    try {
        const auto request = ocrgated::ReadSoapRequest(body);
        if (request.argument)
            (void)soap::DecodeBase64(*request.argument);
    } catch (const ocrgated::SoapFault&) {
        // Refusing is the expected answer to most inputs.
    }
    return 0;
}
