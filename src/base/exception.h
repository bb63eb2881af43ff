#pragma once
// The one base of every error the system raises. It carries the message that the
// application's error box shows; the classes under it say what failed.

#include <stdexcept>
#include <string>

namespace quillory {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

}  // namespace quillory
