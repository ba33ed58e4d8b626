// TFTP packets as they lie on the wire (RFC 1350 with the option extension of RFC 2347):
// a big-endian opcode, then either a block number or error code, or NUL-terminated texts.
// Parsing never trusts the datagram: every text must end inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "protocol/file_transfer.h"

namespace cpe::service {

// A 16-bit number in network byte order, alignment 1.
struct Be16 {
    std::uint8_t b[2];
    constexpr std::uint16_t get() const { return static_cast<std::uint16_t>(b[0] << 8 | b[1]); }
    constexpr void set(std::uint16_t v) {
        b[0] = static_cast<std::uint8_t>(v >> 8);
        b[1] = static_cast<std::uint8_t>(v);
    }
};

// DATA, ACK and ERROR packets begin with this header; DATA's payload follows it.
struct TftpHeader {
    Be16 opcode;
    Be16 number;  // block number (DATA, ACK) or error code (ERROR)
};
static_assert(sizeof(Be16) == 2 && alignof(Be16) == 1);
static_assert(sizeof(TftpHeader) == 4 && alignof(TftpHeader) == 1);
static_assert(offsetof(TftpHeader, opcode) == 0 && offsetof(TftpHeader, number) == 2);

inline constexpr std::size_t kTftpHeaderSize = sizeof(TftpHeader);

using TftpOption = std::pair<std::string, std::string>;  // name in lower case, value as sent

struct TftpRequest {
    TftpOpcode opcode = TftpOpcode::kReadRequest;  // readRequest or writeRequest
    std::string fileName;                          // as sent, not yet checked
    std::string mode;                              // lower case
    std::vector<TftpOption> options;               // in the order sent
};

// A read or write request, or why the datagram is not one. A trailing option name without a
// value is dropped (RFC 2347 lets a server ignore what it does not understand).
std::variant<TftpRequest, std::string> ParseTftpRequest(std::span<const std::uint8_t> datagram);

// The opcode and number of a DATA, ACK or ERROR header; nothing for a shorter datagram.
std::optional<std::pair<TftpOpcode, std::uint16_t>> ParseTftpHeader(std::span<const std::uint8_t> datagram);

void WriteTftpHeader(std::uint8_t* out, TftpOpcode opcode, std::uint16_t number);
std::vector<std::uint8_t> MakeTftpError(TftpError code, std::string_view message);
std::vector<std::uint8_t> MakeOptionAck(const std::vector<TftpOption>& options);

}  // namespace cpe::service
