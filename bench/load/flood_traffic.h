// The datagrams of a flood at the utility's four ports: search replies, heartbeats and replies of
// every type from devices that do not exist (random MACs), garbage, a wrong magic, length fields
// beyond the data, and datagrams larger than the protocol allows.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string_view>
#include <vector>

namespace cpe::flood {

enum class Kind : std::uint8_t { kSearchReply, kHeartbeat, kReply, kGarbage, kBadMagic, kLyingLength, kOversized };
inline constexpr std::size_t kKinds = 7;
std::string_view KindName(Kind kind);

// The utility's ports, in the order the flood reports them.
inline constexpr std::array<std::uint16_t, 4> kPorts{9785, 9786, 9787, 9788};

struct Datagram {
    Kind kind;
    std::size_t portIndex;  // into kPorts
    std::vector<std::uint8_t> bytes;
    bool deviceHeader;  // carries a device MAC in its header that can be varied
};

// A fixed mix of datagrams, cycled through by the sender. Each kind goes to the ports where it
// tests something: spoofed search replies to 9785, heartbeats to 9787, replies to 9788, the
// malformed ones to all four.
std::vector<Datagram> MakeMix(std::mt19937_64& random, std::size_t count);

// Puts a fresh locally administered MAC (never one of the simulator's) into a device header.
void VaryMac(std::span<std::uint8_t> datagram, std::mt19937_64& random);

}  // namespace cpe::flood
