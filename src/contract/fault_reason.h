#pragma once
// Why the service refused or failed a request, as a stable word the client can tell
// apart without reading the English message. Every fault carries one: in its detail
// (<detail><reason xmlns="{kNamespace}">WORD</reason></detail>) and in the reply header
// kReasonHeader, which a client also sees when it reads no body (503, 413).

#include <string_view>

namespace ocrgate {

inline constexpr std::string_view kReasonHeader = "Ocrgate-Reason";
inline constexpr std::string_view kReasonElement = "reason";

namespace reason {
inline constexpr std::string_view kStarting = "starting";          // engines still loading
inline constexpr std::string_view kBusy = "busy";                  // queue or connections full
inline constexpr std::string_view kShuttingDown = "shutting-down";  // draining
inline constexpr std::string_view kTimeLimit = "time-limit";       // recognition ran too long
inline constexpr std::string_view kNotAPicture = "not-a-picture";
inline constexpr std::string_view kTooLarge = "too-large";
inline constexpr std::string_view kEmpty = "empty";                // no picture or address sent
inline constexpr std::string_view kAddressScheme = "address-scheme";  // not an http(s) address
inline constexpr std::string_view kAddressPrivate = "address-private";  // inside the host's networks
inline constexpr std::string_view kFetchFailed = "fetch-failed";
inline constexpr std::string_view kFetchTimeLimit = "fetch-time-limit";
inline constexpr std::string_view kBadRequest = "bad-request";  // any other client fault
inline constexpr std::string_view kCancelled = "cancelled";     // the client went away
inline constexpr std::string_view kServerError = "server-error";  // any other server fault
}  // namespace reason

}  // namespace ocrgate
