// IPv4 addresses as the simulator handles them: host-order 32-bit values, strict dotted-quad
// parsing, and the subnets the devices live in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/wire.h"

namespace cpe::sim {

using Ipv4 = std::uint32_t;  // host order: 10.1.2.3 is 0x0A010203

std::optional<Ipv4> ParseIpv4(std::string_view text);  // strict "a.b.c.d"
std::string Ipv4Text(Ipv4 ip);
RawIp ToRaw(Ipv4 ip);
Ipv4 FromRaw(const RawIp& raw);
Ipv4 MaskOf(int prefixLength);

inline bool IsLoopback(Ipv4 ip) { return (ip >> 24) == 127; }
inline bool IsPrivate(Ipv4 ip) { return (ip >> 24) == 10 || (ip >> 20) == 0xAC1 || (ip >> 16) == 0xC0A8; }

// A subnet of devices: devices take addresses from `first` on, skipping host numbers whose last
// byte is 0 or 255 (the utility refuses to edit those).
struct DeviceSubnet {
    Ipv4 first = 0;
    int prefix = 24;

    Ipv4 mask() const { return MaskOf(prefix); }
    Ipv4 network() const { return first & mask(); }
    Ipv4 broadcast() const { return network() | ~mask(); }
    Ipv4 gateway() const { return network() + 1; }
    bool contains(Ipv4 ip) const { return (ip & mask()) == network(); }
    // The n-th device address (0-based), or nothing when the subnet has no room for it.
    std::optional<Ipv4> address(std::uint32_t n) const;
};

// "10.77.64.1/16": the first device address and the subnet's prefix length.
std::optional<DeviceSubnet> ParseDeviceSubnet(std::string_view text);

}  // namespace cpe::sim
