// The VLAN form of the configuration dialog: management, wireless-side and wired-side VLAN ids.
// Models of set B have no wired-side VLAN; their form hides it and sends the device's own id.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "actions/config/check_failure.h"
#include "engine/payload_blocks.h"

namespace cpe::actions {

inline constexpr std::size_t kVlanApplyFlagByte = offsetof(ap_info_stu, vlan_apply) - kVlanBlockOffset;

struct VlanEntries {
    std::string manage;
    std::string wlan;
    std::string lan;

    bool operator==(const VlanEntries&) const = default;
};

class VlanFormModel {
public:
    explicit VlanFormModel(const ap_info_stu& device);

    bool Enabled() const { return enabled_; }
    // The enable box; the three edits are enabled with it.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool LanVisible() const { return lanVisible_; }
    const VlanEntries& InitialEntries() const { return initial_; }

    // The VLAN block (apply flag 0): ten zero bytes when disabled, else the three ids, each
    // checked to be 1-4094 (the wired-side one only where the model has it). A form the
    // operator left as it was shown changes nothing and checks nothing.
    Collected<VlanBlock> Collect(const VlanEntries& entries) const;

private:
    bool Untouched(const VlanEntries& entries) const;

    VlanBlock device_;
    std::uint8_t deviceEnabled_;
    std::array<std::uint16_t, 3> deviceIds_;  // management, wireless side, wired side
    bool lanVisible_;
    bool enabled_;
    VlanEntries initial_;
};

}  // namespace cpe::actions
