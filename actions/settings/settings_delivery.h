// One device's part of a settings restore or apply, as both front ends run it: the plan; when it
// is not refused, a backup of the device, queued ahead of the record the burst brings back; then,
// once the plan's wait has passed (and at least the moment a device needs to answer the sender's
// request for its record), the check that the device reports the chosen settings. Each device's
// outcome goes into its history with where the settings came from.
#pragma once

#include <chrono>
#include <span>
#include <string>
#include <string_view>

#include "actions/settings/settings_restore.h"
#include "inventory/settings_backup.h"

namespace cpe::inventory {
class Inventory;
}

namespace cpe::actions {

// After the burst the sender asks for the record; the device's answer needs a moment more.
inline constexpr std::chrono::seconds kConfirmWait{3};

// Whether `reported` holds the chosen blocks as `wanted` has them, field by field.
bool HoldsSettings(const ap_info_stu& reported, const ap_info_stu& wanted, SettingsBlocks blocks);

class SettingsDelivery {
public:
    // `kind` is the history's event kind (settings_restore or settings_apply); `source` says where
    // the settings came from ("backup 12", a file name). `fleet` may be null: no backups, no history.
    SettingsDelivery(inventory::Inventory* fleet, inventory::SettingsBackup backup, SettingsBlocks blocks,
                     std::string_view kind, std::string source);

    // The plan for `device`. A refusal goes into the device's history at once; otherwise the
    // device's backup is queued and the caller sends the plan's request.
    RestorePlan Begin(const ap_info_stu& device, std::span<const std::string> ipsInUse);
    // How long after the burst the device's report is read.
    static std::chrono::milliseconds ConfirmDelay(const RestorePlan& plan);
    // After that wait: whether the device (its record as begun, then as `reported` now; null when
    // it is gone) took the settings. The outcome goes into its history.
    bool Finish(const ap_info_stu& device, const ap_info_stu* reported);

    const inventory::SettingsBackup& Backup() const { return backup_; }
    SettingsBlocks Blocks() const { return blocks_; }

private:
    void Record(std::string_view mac, std::string_view outcome);

    inventory::Inventory* fleet_;
    inventory::SettingsBackup backup_;
    SettingsBlocks blocks_;
    std::string kind_;
    std::string source_;
};

}  // namespace cpe::actions
