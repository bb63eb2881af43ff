#pragma once
// The contract between the client and the recognition service. Both sides build
// from these constants, so they agree on every name byte for byte.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ocrgate {

// Target namespace of the service interface; ends in "/" so that
// namespace + operation name reads as a SOAP action.
inline constexpr std::string_view kNamespace = "http://quillory.org/ocrgate/";

// Encoding named by the service description.
inline constexpr std::string_view kDescriptionEncoding = "utf-8";

// SOAP action of an operation: the placeholder is replaced by its name.
inline constexpr std::string_view kActionTemplate = "http://quillory.org/ocrgate/%operationName%";
inline constexpr std::string_view kOperationPlaceholder = "%operationName%";

// Where the client posts its requests: the local service by default. Posted as
// written, query included; the description itself is never fetched by the client.
inline constexpr std::string_view kEndpoint = "http://127.0.0.1:8723/ocrgate/ocrgate.asmx?WSDL";
inline constexpr std::string_view kServicePath = "/ocrgate/ocrgate.asmx";
inline constexpr std::string_view kDefaultListen = "127.0.0.1:8723";

enum class ParameterKind { Text, Bytes };

struct Parameter {
    std::string_view name;
    ParameterKind kind;
};

struct Operation {
    std::string_view name;
    std::optional<Parameter> parameter;  // every result is text
};

// Declaration order matters: it is the operations' index.
inline constexpr std::array<Operation, 3> kOperations{{
    {"HelloWorld", std::nullopt},
    {"quillory", Parameter{"url", ParameterKind::Text}},
    {"imgbase64totext", Parameter{"img", ParameterKind::Bytes}},
}};

inline std::string SoapActionFor(std::string_view operation) {
    std::string action(kActionTemplate);
    action.replace(action.find(kOperationPlaceholder), kOperationPlaceholder.size(), operation);
    return action;
}

inline const Operation* FindOperation(std::string_view name) {
    for (const auto& op : kOperations) {
        if (op.name == name) return &op;
    }
    return nullptr;
}

}  // namespace ocrgate
