// Feeds arbitrary bytes to the REST field readers, as a query, a form body and a JSON
// body would reach them, and what they read to the call reader of every endpoint.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/rest/rest_call.h"
#include "service/rest/rest_error.h"
#include "service/rest/rest_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view type : {"application/x-www-form-urlencoded", "application/json"}) {
        ocrgated::RestFields fields;
        try {
            ocrgated::ReadBodyFields(type, text, fields);
            for (std::string_view path :
                 {"/rest/2.0/ocr/v1/general_basic", "/rest/2.0/ocr/v1/accurate"})
                (void)ocrgated::ReadRestCall(*ocrgated::RestEndpointFor(path), fields);
        } catch (const ocrgated::RestError&) {
            // Refusing is the expected answer to most inputs.
        }
    }
    return 0;
}
