#include "sim/address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

namespace cpe::sim {

std::optional<Ipv4> ParseIpv4(std::string_view text) {
    if (text.size() > 15)
        return std::nullopt;
    const std::string copy(text);
    in_addr a{};
    if (inet_pton(AF_INET, copy.c_str(), &a) != 1)
        return std::nullopt;
    return ntohl(a.s_addr);
}

std::string Ipv4Text(Ipv4 ip) {
    return std::to_string(ip >> 24) + '.' + std::to_string((ip >> 16) & 0xFF) + '.' + std::to_string((ip >> 8) & 0xFF) +
           '.' + std::to_string(ip & 0xFF);
}

RawIp ToRaw(Ipv4 ip) {
    return {static_cast<std::uint8_t>(ip >> 24), static_cast<std::uint8_t>(ip >> 16),
            static_cast<std::uint8_t>(ip >> 8), static_cast<std::uint8_t>(ip)};
}

Ipv4 FromRaw(const RawIp& raw) {
    return (Ipv4{raw[0]} << 24) | (Ipv4{raw[1]} << 16) | (Ipv4{raw[2]} << 8) | Ipv4{raw[3]};
}

Ipv4 MaskOf(int prefixLength) {
    if (prefixLength <= 0)
        return 0;
    if (prefixLength >= 32)
        return 0xFFFFFFFFu;
    return ~((Ipv4{1} << (32 - prefixLength)) - 1);
}

std::optional<Ipv4> DeviceSubnet::address(std::uint32_t n) const {
    // 254 usable host numbers per block of 256: .1 to .254.
    const std::uint64_t low = std::max<std::uint64_t>(1, first & 0xFF);
    const std::uint64_t linear = low - 1 + n;
    const std::uint64_t addr = (first & ~std::uint64_t{0xFF}) + (linear / 254) * 256 + linear % 254 + 1;
    if (addr > 0xFFFFFFFFu)
        return std::nullopt;
    const auto ip = static_cast<Ipv4>(addr);
    if (!contains(ip) || ip == broadcast())
        return std::nullopt;
    return ip;
}

std::optional<DeviceSubnet> ParseDeviceSubnet(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const auto ip = ParseIpv4(text.substr(0, slash));
    int prefix = -1;
    const auto digits = text.substr(slash + 1);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), prefix);
    if (!ip || ec != std::errc{} || end != digits.data() + digits.size() || prefix < 8 || prefix > 30)
        return std::nullopt;
    DeviceSubnet s{*ip, prefix};
    if ((*ip & 0xFF) == 255 || *ip == s.network())
        return std::nullopt;
    return s;
}

}  // namespace cpe::sim
