// The address checks of a device's IP settings, shared by the configuration dialog's IP form and
// the bridge wizard's IP step, which differ only in how strict they are (IpCheckRules).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "actions/config/check_failure.h"
#include "engine/payload_blocks.h"

namespace cpe::actions {

inline constexpr std::uint8_t kStaticAddressMode = 1;  // ip_mode of the blocks the forms build
inline constexpr std::size_t kIpApplyFlagByte = offsetof(ap_info_stu, ip_apply) - kIpBlockOffset;

// The five address controls as dotted quads; an all-blank control gives an empty text and a
// blank field counts as 0.
struct IpEntries {
    std::string ip;
    std::string mask;
    std::string gateway;
    std::string primaryDns;
    std::string secondaryDns;

    bool operator==(const IpEntries&) const = default;
};

struct IpCheckRules {
    bool gatewayMayBeEmpty = true;  // empty or 0.0.0.0 accepted
    bool primaryDnsMayBeEmpty = true;
    bool checkSecondaryDns = true;  // and it may always be empty
};

// In order: address, mask, gateway, address equal to the gateway, gateway outside the address's
// subnet, primary DNS, secondary DNS, and an address taken by another device: one that differs
// from `currentIp` and is among `ipsInUse` (the address texts of the devices in the store).
std::optional<CheckFailure> CheckIpEntries(const IpEntries& entries, const IpCheckRules& rules, const RawIp& currentIp,
                                           std::span<const std::string> ipsInUse);

// A static-address IP block of the entries with the given apply flag.
IpBlock BuildIpBlock(const IpEntries& entries, std::uint8_t applyFlag);

}  // namespace cpe::actions
