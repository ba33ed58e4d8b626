// settings restore and settings apply: a backup's settings sent back to a device, or its wireless,
// VLAN and timed-reboot settings to other devices of the same model set. Each device gets a backup
// of its own first, the configuration dialog's checks and its wait, and its own result.
#include <algorithm>
#include <charconv>

#include "actions/config/config_sender.h"
#include "actions/settings/settings_delivery.h"
#include "cli/commands.h"
#include "cli/discovery_loop.h"
#include "inventory/backup_file.h"
#include "inventory/inventory.h"

namespace cpe::cli {
namespace {

constexpr std::chrono::seconds kInventoryWait{10};

bool IsBackupNumber(std::string_view text, std::int64_t& id) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    return error == std::errc() && end == text.data() + text.size() && id > 0;
}

struct DeviceResult {
    bool done = false;
    bool interrupted = false;
};

// One device: the plan and its backup, the burst, the wait, the check of what it reports.
DeviceResult SendSettings(Session& session, const FoundDevice& device, actions::SettingsDelivery& delivery) {
    inventory::Inventory& fleet = session.Inventory();
    std::vector<std::string> ipsInUse;
    session.Store().GetDeviceIps(ipsInUse);
    const actions::RestorePlan plan = delivery.Begin(device.record, ipsInUse);
    if (plan.Refused()) {
        session.Output().out << DeviceLabel(device) << " refused: " << plan.Reason() << '\n';
        return {};
    }
    actions::SendConfiguration(session.Engine(), plan.request, device.ip, device.mac, {});
    if (!session.Signals().Sleep(actions::SettingsDelivery::ConfirmDelay(plan)))
        return {false, true};
    fleet.Flush(kInventoryWait);
    const auto reported = fleet.LastRecord(device.mac);
    const bool done = delivery.Finish(device.record, reported ? &*reported : nullptr);
    session.Output().out << DeviceLabel(device) << (done ? " restored" : " did not confirm the settings") << '\n';
    return {done, false};
}

}  // namespace

std::variant<inventory::SettingsBackup, std::string> LoadBackup(const std::string& from) {
    inventory::SettingsBackup backup;
    std::int64_t id = 0;
    if (IsBackupNumber(from, id)) {
        const auto fleet = inventory::Inventory::OpenReader({});
        const auto found = fleet->Backup(id);
        if (!found)
            return "there is no backup " + from + " in the inventory";
        return *found;
    }
    const inventory::BackupFileError error = inventory::ReadBackupFile(from, backup);
    if (error != inventory::BackupFileError::kNone)
        return from + ": " + inventory::DescribeBackupFileError(error);
    return backup;
}

int RunSettings(Session& session, const Invocation& run, const inventory::SettingsBackup& backup,
                actions::SettingsBlocks blocks) {
    const FoundDevices devices = FindDevices(session, run.devices, run.seconds, false);
    if (const auto status = NothingToDo(session, devices))
        return *status;
    const bool restore = run.command == Command::kSettingsRestore;
    const std::string_view kind =
        restore ? inventory::event_kind::kSettingsRestore : inventory::event_kind::kSettingsApply;
    const std::string source = backup.id > 0 ? "backup " + std::to_string(backup.id) : run.from;
    actions::SettingsDelivery delivery(&session.Inventory(), backup, blocks, kind, source);
    std::size_t done = 0;
    for (const FoundDevice& device : devices.found) {
        const DeviceResult result = SendSettings(session, device, delivery);
        if (result.interrupted)
            return Interrupted(session);
        done += result.done ? 1 : 0;
    }
    return done == devices.found.size() && devices.missing.empty() ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
