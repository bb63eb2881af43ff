#pragma once
// The contract between the client and the recognition service. Both sides build
// from these constants, so they agree on every name byte for byte.

#include <array>
#include <cstddef>
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

// The operations, in declaration order: the order is each operation's index, which the
// client, the registry and the service's dispatch all take from here.
enum class OperationId : std::size_t { HelloWorld, Quillory, ImgBase64ToText };

struct Operation {
    std::string_view name;
    std::optional<Parameter> parameter;  // every result is text
};

inline constexpr std::array<Operation, 3> kOperations{{
    {"HelloWorld", std::nullopt},
    {"quillory", Parameter{"url", ParameterKind::Text}},
    {"imgbase64totext", Parameter{"img", ParameterKind::Bytes}},
}};

constexpr std::size_t IndexOf(OperationId id) {
    return static_cast<std::size_t>(id);
}

constexpr const Operation& OperationOf(OperationId id) {
    return kOperations[IndexOf(id)];
}

// An action template with its first placeholder replaced by the operation's name; a
// template without one is the action of every operation.
inline std::string ActionFor(std::string_view actionTemplate, std::string_view operation) {
    std::string action(actionTemplate);
    if (auto at = action.find(kOperationPlaceholder); at != std::string::npos)
        action.replace(at, kOperationPlaceholder.size(), operation);
    return action;
}

inline std::optional<OperationId> FindOperation(std::string_view name) {
    for (std::size_t i = 0; i < kOperations.size(); ++i) {
        if (kOperations[i].name == name)
            return static_cast<OperationId>(i);
    }
    return std::nullopt;
}

}  // namespace ocrgate
