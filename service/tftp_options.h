// Option negotiation for a read request: block size (RFC 2348), transfer size and timeout
// (RFC 2349) and window size (RFC 7440). An option the server does not know, or whose value is
// not a number in its valid range, is left out of the answer, so the client falls back to the
// RFC 1350 behaviour for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "service/tftp_packet.h"

namespace cpe::service {

inline constexpr std::uint16_t kTftpDefaultBlockSize = 512;
inline constexpr std::uint16_t kTftpMinBlockSize = 8;
inline constexpr std::uint16_t kTftpMaxBlockSize = 65464;

struct TftpLimits {
    std::uint16_t maxBlockSize = kTftpMaxBlockSize;
    std::uint16_t maxWindowSize = 64;         // blocks in flight per transfer at most
    std::uint32_t maxWindowBytes = 1u << 20;  // and at most this many bytes of them
};

struct TftpSettings {
    std::uint16_t blockSize = kTftpDefaultBlockSize;
    std::uint16_t windowSize = 1;
    std::chrono::seconds timeout{0};       // the client's choice; 0: the server's own
    std::vector<TftpOption> acknowledged;  // what goes into the OACK; empty: no OACK
};

TftpSettings NegotiateOptions(const std::vector<TftpOption>& requested, std::uint64_t fileSize,
                              const TftpLimits& limits);

}  // namespace cpe::service
