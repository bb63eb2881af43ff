#pragma once
// What the status line leads a failed recognition with: the cause and what to do about it,
// in Chinese. Causes are told apart by codes, never by the English of a message: the HTTP
// client's error code, the HTTP status, the fault's code and the stable reason the service
// adds to its faults and refusals. The error's own message stays in the status line's
// tooltip.

#include <QString>

#include <exception>

namespace quillory {

// Every failure gets a cause; the silent abort's is that a sign-in prompt was cancelled.
QString FailureCause(const std::exception_ptr& error, const QString& endpoint);

}  // namespace quillory
