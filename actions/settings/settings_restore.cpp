#include "actions/settings/settings_restore.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <type_traits>

#include "actions/common/record_slices.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

void CopyBlock(ap_info_stu& to, const ap_info_stu& from, std::size_t offset, std::size_t size) {
    std::memcpy(reinterpret_cast<std::uint8_t*>(&to) + offset, reinterpret_cast<const std::uint8_t*>(&from) + offset,
                size);
}

// The forms' checks, run as if the operator had typed the backup's values into the configuration
// dialog of the device: the forms check what differs from the device, with the security mode, VLAN
// and timed-reboot switches the backup holds.
std::optional<SaveFailure> CheckValues(const ap_info_stu& device, const ap_info_stu& merged, SettingsBlocks blocks,
                                       std::span<const std::string> ipsInUse) {
    ConfigDialogModel form(device);
    const ConfigEntries wanted = ConfigDialogModel(merged).InitialEntries();
    ConfigEntries entries = form.InitialEntries();
    if (blocks.wireless) {
        form.wireless.SelectSecurityMode(merged.security.secure_mode);
        const std::string location = entries.wireless.location;
        entries.wireless = wanted.wireless;
        entries.wireless.location = location;
    }
    if (blocks.name)
        entries.wireless.location = wanted.wireless.location;
    if (blocks.ip)
        entries.ip = wanted.ip;
    if (blocks.vlan) {
        form.vlan.SetEnabled(merged.vlan_en != 0);
        entries.vlan = wanted.vlan;
    }
    if (blocks.timedReboot) {
        form.timedReboot.SetEnabled(merged.restart_en != 0);
        entries.timedReboot = wanted.timedReboot;
    }
    return form.Save(entries, ipsInUse).failure;
}

}  // namespace

std::optional<SettingsBlocks> ParseSettingsBlocks(std::string_view list) {
    SettingsBlocks blocks;
    for (std::size_t from = 0; from <= list.size();) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string_view name = list.substr(from, comma - from);
        if (name == "name")
            blocks.name = true;
        else if (name == "wireless")
            blocks.wireless = true;
        else if (name == "ip")
            blocks.ip = true;
        else if (name == "vlan")
            blocks.vlan = true;
        else if (name == "timed_reboot")
            blocks.timedReboot = true;
        else
            return std::nullopt;
        from = comma + 1;
    }
    return blocks;
}

std::string RestorePlan::Reason() const {
    if (refusal != nullptr)
        return refusal;
    return failure ? failure->failure.Text() : std::string();
}

ap_info_stu WithBlocks(const ap_info_stu& device, const ap_info_stu& backup, SettingsBlocks blocks) {
    ap_info_stu merged = device;
    if (blocks.name)
        CopyBlock(merged, backup, kNameBlockOffset, kNameBlockSize);
    if (blocks.wireless)
        CopyBlock(merged, backup, kWirelessBlockOffset, kWirelessBlockSize);
    if (blocks.ip)
        CopyBlock(merged, backup, kIpBlockOffset, kIpBlockSize);
    if (blocks.vlan)
        CopyBlock(merged, backup, kVlanBlockOffset, kVlanBlockSize);
    if (blocks.timedReboot)
        CopyBlock(merged, backup, kRestartBlockOffset, kRestartBlockSize);
    return merged;
}

RestorePlan PlanSettingsRestore(const ap_info_stu& device, const ap_info_stu& backup, SettingsBlocks blocks,
                                std::span<const std::string> ipsInUse) {
    RestorePlan plan;
    if (IsModelSetB(device.ap_type.get()) != IsModelSetB(backup.ap_type.get())) {
        plan.refusal = kOtherModelSetKey;
        return plan;
    }
    if (!blocks.Any()) {
        plan.refusal = kNothingChosenKey;
        return plan;
    }
    // What the configuration dialog would refuse to send is refused here too.
    const ap_info_stu merged = WithBlocks(device, backup, blocks);
    plan.failure = CheckValues(device, merged, blocks, ipsInUse);
    if (plan.failure)
        return plan;
    // The blocks go out as the backup holds them, byte for byte (texts in the local code set, as
    // the sender takes them); only those that differ.
    config_request& r = plan.request;
    const auto take = [&](auto& block, bool& changed, bool chosen, std::size_t offset) {
        using Block = std::remove_reference_t<decltype(block)>;
        block = SliceOf<std::tuple_size_v<Block>>(merged, offset);
        changed = chosen && block != SliceOf<std::tuple_size_v<Block>>(device, offset);
    };
    take(r.name_block, r.name_changed, blocks.name, kNameBlockOffset);
    take(r.wireless_block, r.wireless_changed, blocks.wireless, kWirelessBlockOffset);
    take(r.ip_block, r.ip_changed, blocks.ip, kIpBlockOffset);
    take(r.vlan_block, r.vlan_changed, blocks.vlan, kVlanBlockOffset);
    take(r.restart_block, r.restart_changed, blocks.timedReboot, kRestartBlockOffset);
    if (!r.SendsAnything()) {
        plan.refusal = kNothingToChangeKey;
        return plan;
    }
    ApplyFlagRule(r);
    plan.wait = WaitAfterSave(r);
    return plan;
}

}  // namespace cpe::actions
