#include "actions/settings/settings_delivery.h"

#include <algorithm>

#include "inventory/inventory.h"
#include "platform/codepage.h"

namespace cpe::actions {

bool HoldsSettings(const ap_info_stu& reported, const ap_info_stu& wanted, SettingsBlocks blocks) {
    const auto chosen = [&](inventory::SettingsBlock block) {
        switch (block) {
        case inventory::SettingsBlock::kName: return blocks.name;
        case inventory::SettingsBlock::kWireless: return blocks.wireless;
        case inventory::SettingsBlock::kIp: return blocks.ip;
        case inventory::SettingsBlock::kVlan: return blocks.vlan;
        case inventory::SettingsBlock::kTimedReboot: return blocks.timedReboot;
        case inventory::SettingsBlock::kBridge: return false;
        }
        return false;
    };
    const std::string codeset = platform::AnsiCodeset();
    const auto now = inventory::BackupFields(reported, codeset);
    const auto want = inventory::BackupFields(wanted, codeset);
    for (std::size_t i = 0; i < want.size() && i < now.size(); ++i)
        if (chosen(want[i].block) && want[i].value != now[i].value)
            return false;
    return true;
}

SettingsDelivery::SettingsDelivery(inventory::Inventory* fleet, inventory::SettingsBackup backup, SettingsBlocks blocks,
                                   std::string_view kind, std::string source)
    : fleet_(fleet), backup_(std::move(backup)), blocks_(blocks), kind_(kind), source_(std::move(source)) {}

RestorePlan SettingsDelivery::Begin(const ap_info_stu& device, std::span<const std::string> ipsInUse) {
    RestorePlan plan = PlanSettingsRestore(device, backup_.record, blocks_, ipsInUse);
    if (plan.Refused())
        Record(device.mac, "refused: " + plan.Reason());
    else if (fleet_)
        fleet_->TakeBackup(device.mac, inventory::backup_reason::kBeforeSettingsRestore);
    return plan;
}

std::chrono::milliseconds SettingsDelivery::ConfirmDelay(const RestorePlan& plan) {
    return std::max<std::chrono::milliseconds>(plan.wait, kConfirmWait);
}

bool SettingsDelivery::Finish(const ap_info_stu& device, const ap_info_stu* reported) {
    const bool done =
        reported != nullptr && HoldsSettings(*reported, WithBlocks(device, backup_.record, blocks_), blocks_);
    Record(device.mac, done ? "confirmed" : "not confirmed");
    return done;
}

void SettingsDelivery::Record(std::string_view mac, std::string_view outcome) {
    if (fleet_)
        fleet_->RecordAction(mac, kind_, outcome, inventory::EventDetail().Add("from", source_));
}

}  // namespace cpe::actions
