#pragma once
// Errors the window raises itself, and the text of any error that reaches the user.

#include <QString>

#include <exception>
#include <stdexcept>

namespace quillory {

// A file the window writes could not be created: "Cannot create file "%s". %s".
class EFCreateError : public std::runtime_error {
  public:
    EFCreateError(const QString& path, const QString& reason);
};

// A browser pane refused an address.
class ENavigationError : public std::runtime_error {
  public:
    explicit ENavigationError(const QString& address);
};

// True for the silent abort, which is never shown.
bool IsSilentAbort(const std::exception_ptr& error);

// The message of any error, as the user reads it.
QString DescribeError(const std::exception_ptr& error);

}  // namespace quillory
