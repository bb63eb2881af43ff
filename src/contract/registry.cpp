#include <map>
#include <mutex>

#include "contract/ocrgate.h"

namespace ocrgate {

std::string InterfaceInfo::ActionFor(std::size_t index) const {
    return ocrgate::ActionFor(actionTemplate, operations.at(index).name);
}

struct InvRegistry::Impl {
    mutable std::mutex lock;
    std::map<std::string, InterfaceInfo, std::less<>> interfaces;
};

InvRegistry::Impl& InvRegistry::State() {
    static Impl state;
    return state;
}

InvRegistry& InvRegistry::Instance() {
    static InvRegistry registry;
    return registry;
}

void InvRegistry::RegisterInterface(InterfaceInfo info) {
    Impl& state = State();
    std::lock_guard guard(state.lock);
    std::string key = info.name;
    state.interfaces.insert_or_assign(std::move(key), std::move(info));
}

std::optional<InterfaceInfo> InvRegistry::Lookup(std::string_view name) const {
    Impl& state = State();
    std::lock_guard guard(state.lock);
    auto it = state.interfaces.find(name);
    if (it == state.interfaces.end())
        return std::nullopt;
    return it->second;
}

void RegisterOcrgateSoap() {
    InterfaceInfo info;
    info.name = std::string(kInterfaceName);
    info.targetNamespace = std::string(kNamespace);
    info.encoding = std::string(kDescriptionEncoding);
    info.actionTemplate = std::string(kActionTemplate);
    info.style = InvocationStyle::Document;
    info.operations.assign(kOperations.begin(), kOperations.end());
    InvRegistry::Instance().RegisterInterface(std::move(info));
}

namespace {
// Lives in the same file as the registry, so whoever links the registry gets the
// registration, made before main as the interface's unit initialisation.
[[maybe_unused]] const bool registered = (RegisterOcrgateSoap(), true);
}  // namespace

}  // namespace ocrgate
