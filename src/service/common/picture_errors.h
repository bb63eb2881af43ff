#pragma once
// What the service says of a picture it cannot take, whichever room finds out.

#include <stdexcept>

namespace ocrgated {

// The bytes are not a picture the engine can decode.
class BadPicture : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The picture is larger than the service accepts.
class PictureTooLarge : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace ocrgated
