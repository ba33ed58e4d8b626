// How the devices fetch a firmware image when told to upgrade: a TFTP read request for models
// outside set B, an HTTP GET for set B. The helper servers listen on these ports and answer in
// these TFTP codes; the simulator fetches with them.
#pragma once

#include <cstdint>

namespace cpe {

inline constexpr std::uint16_t kTftpServerPort = 69;
inline constexpr std::uint16_t kHttpServerPort = 80;

// TFTP opcodes and error codes (RFC 1350, option acknowledgement from RFC 2347).
enum class TftpOpcode : std::uint16_t {
    kReadRequest = 1,
    kWriteRequest = 2,
    kData = 3,
    kAck = 4,
    kError = 5,
    kOptionAck = 6,
};

enum class TftpError : std::uint16_t {
    kNotDefined = 0,
    kFileNotFound = 1,
    kAccessViolation = 2,
    kIllegalOperation = 4,
    kUnknownTransferId = 5,
    kOptionRefused = 8,
};

}  // namespace cpe
