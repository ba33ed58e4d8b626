// The IP form of the configuration dialog: the device's address, mask, gateway and DNS servers.
// Its checks run only when the operator touched an entry, so a device whose own settings would
// fail them can still be saved untouched; a touched entry is always checked, even when what it
// says reads as the device's own bytes.
#pragma once

#include <span>
#include <string>

#include "actions/config/check_failure.h"
#include "actions/config/ip_rules.h"
#include "protocol/records.h"

namespace cpe::actions {

class IpFormModel {
public:
    explicit IpFormModel(const ap_info_stu& device);

    // The five addresses as the controls show them at start-up.
    const IpEntries& InitialEntries() const { return initial_; }
    // The new IP block (static address, apply flag 1) when it differs from the device's.
    Collected<IpBlock> Collect(const IpEntries& entries, std::span<const std::string> ipsInUse) const;

private:
    IpBlock device_;  // the device's block, its address mode taken as static
    RawIp currentIp_;
    IpEntries initial_;
};

inline constexpr IpCheckRules kConfigIpRules{};

}  // namespace cpe::actions
