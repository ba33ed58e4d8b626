// How a simulated device fetches a firmware image from the utility's file servers: a TFTP read
// request (RFC 1350, octet mode) or an HTTP GET of "/<file name>". The image is not kept; its
// size and FNV-1a hash are, so tests can check that the right bytes arrived.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "sim/device_network.h"

namespace cpe::sim {

struct FetchLimits {
    std::chrono::milliseconds retransmit{1000};  // TFTP: resend the last packet after this
    int attempts = 30;                           // TFTP: give up after this many silent periods, as a
                                                 // device's boot loader waits out a lossy link
    std::uint16_t blockSize = 512;               // TFTP: asked for with "blksize" when not 512
    std::uint16_t windowSize = 1;                // TFTP: asked for with "windowsize" (RFC 7440) when not 1
    std::chrono::seconds httpTimeout{10};
    std::uint64_t maxBytes = 64ull << 20;
};

std::uint64_t Fnv1a(std::uint64_t hash, const std::uint8_t* data, std::size_t size);
inline constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;

FetchResult TftpFetch(Ipv4 local, Endpoint server, const std::string& file, const FetchLimits& limits = {});
FetchResult HttpFetch(Ipv4 local, Endpoint server, const std::string& file, const FetchLimits& limits = {});
FetchResult Fetch(const FetchRequest& request, const FetchLimits& limits = {});

// "/<file>" with every byte outside the unreserved set percent-encoded.
std::string UrlPathOf(const std::string& file);

}  // namespace cpe::sim
