#pragma once
// What the status line leads a failed recognition with: the cause and what to do about it,
// in Chinese, for the failures a person can act on. The error's own message stays in the
// status line's tooltip.

#include <QString>

#include <exception>

namespace quillory {

// Empty for failures with no known cause; the caller then shows the error's message.
QString FailureCause(const std::exception_ptr& error, const QString& endpoint);

}  // namespace quillory
