#pragma once
// The state of one HTTP request on the easy handle and the libcurl callbacks that feed it.
// Private to the transport.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "soap/stream.h"

namespace soap::detail {

struct Transfer {
    enum class Mode {
        Keep,     // body goes to the reply stream
        Discard,  // a credentials challenge: the body is read and dropped
        Refused,  // a status error: the body is not read
    };

    Stream* request = nullptr;
    Stream* reply = nullptr;
    std::uint64_t bodySize = 0;
    std::uint64_t bodyLeft = 0;           // streamed bodies only
    std::vector<std::uint8_t> smallBody;  // bodies of one piece

    bool challengeWanted = false;  // a credentials callback is installed
    bool lengthZero = false;
    std::exception_ptr error;

    int status = 0;
    std::string reason;
    std::string contentType;
    std::string challenge;
    std::string serviceReason;  // the service's stable reason for a fault or refusal
    Mode mode = Mode::Keep;
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* transfer);
std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* transfer);
std::size_t OnRead(char* data, std::size_t size, std::size_t count, void* transfer);
int OnSeek(void* transfer, long long offset, int origin);

}  // namespace soap::detail
