// Settings from a backup, sent back to a device: the blocks the operator chose (name, wireless,
// IP, VLAN, timed reboot), laid over the device's current record, checked with the configuration
// forms' own checks and turned into the configuration sender's request. "Apply to devices" is the
// same with the blocks that may go to another device: wireless, VLAN and timed reboot.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "actions/config/config_request.h"
#include "protocol/records.h"

namespace cpe::actions {

struct SettingsBlocks {
    bool name = false;
    bool wireless = false;
    bool ip = false;
    bool vlan = false;
    bool timedReboot = false;

    bool Any() const { return name || wireless || ip || vlan || timedReboot; }
    bool operator==(const SettingsBlocks&) const = default;
};

// What a restore offers: everything but the address, which moves the device.
inline constexpr SettingsBlocks kRestoreBlocks{true, true, false, true, true};
// What goes to other devices: never a name, an address or a bridge.
inline constexpr SettingsBlocks kApplyBlocks{false, true, false, true, true};

// "name,wireless,ip,vlan,timed_reboot" as the command line writes them; nothing for an unknown
// or empty name.
std::optional<SettingsBlocks> ParseSettingsBlocks(std::string_view list);

inline constexpr const char* kOtherModelSetKey = "The backup is of another model set than the device.";
inline constexpr const char* kNothingChosenKey = "Choose at least one block of settings.";
inline constexpr const char* kNothingToChangeKey = "The device already holds these settings.";

struct RestorePlan {
    const char* refusal = nullptr;       // a key above: nothing is sent
    std::optional<SaveFailure> failure;  // a form's check refused a value: nothing is sent
    config_request request;              // what the sender sends
    std::chrono::seconds wait{0};        // the configuration dialog's wait after its Save

    bool Refused() const { return refusal != nullptr || failure.has_value(); }
    // The English text of the refusal or failure (cpe-cli prints it; the windows translate).
    std::string Reason() const;
};

// The device's record with the chosen blocks of `backup` in place of its own.
ap_info_stu WithBlocks(const ap_info_stu& device, const ap_info_stu& backup, SettingsBlocks blocks);

// The request that brings the chosen blocks of `backup` to `device`. `ipsInUse` are the addresses
// of the devices in the store, as the IP form checks them.
RestorePlan PlanSettingsRestore(const ap_info_stu& device, const ap_info_stu& backup, SettingsBlocks blocks,
                                std::span<const std::string> ipsInUse);

}  // namespace cpe::actions
