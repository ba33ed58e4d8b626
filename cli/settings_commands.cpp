// settings restore and settings apply: a backup's settings sent back to a device, or its wireless,
// VLAN and timed-reboot settings to other devices of the same model set. Each device gets a backup
// of its own first, the configuration dialog's checks and its wait, and its own result.
#include <algorithm>
#include <charconv>

#include "actions/config/config_sender.h"
#include "actions/settings/settings_restore.h"
#include "cli/commands.h"
#include "cli/discovery_loop.h"
#include "inventory/backup_file.h"
#include "inventory/inventory.h"
#include "platform/codepage.h"

namespace cpe::cli {
namespace {

constexpr std::chrono::seconds kInventoryWait{10};
// After the burst the sender asks for the record; the device's answer needs a moment more.
constexpr std::chrono::seconds kConfirmWait{3};

bool IsBackupNumber(std::string_view text, std::int64_t& id) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    return error == std::errc() && end == text.data() + text.size() && id > 0;
}

// The fields of the chosen blocks, as the device should hold them, against what it reported.
bool HoldsSettings(const ap_info_stu& reported, const ap_info_stu& wanted, actions::SettingsBlocks blocks) {
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

struct DeviceResult {
    bool done = false;
    bool interrupted = false;
};

// One device: the plan, a backup of the device, the burst, the wait, the check of what it reports.
DeviceResult SendSettings(Session& session, const FoundDevice& device, const inventory::SettingsBackup& backup,
                          actions::SettingsBlocks blocks, std::string_view kind, const std::string& source) {
    inventory::Inventory& fleet = session.Inventory();
    std::vector<std::string> ipsInUse;
    session.Store().GetDeviceIps(ipsInUse);
    const actions::RestorePlan plan = actions::PlanSettingsRestore(device.record, backup.record, blocks, ipsInUse);
    inventory::EventDetail detail;
    detail.Add("from", source);
    if (plan.Refused()) {
        session.Output().out << DeviceLabel(device) << " refused: " << plan.Reason() << '\n';
        fleet.RecordAction(device.mac, kind, "refused: " + plan.Reason(), detail);
        return {};
    }
    fleet.Flush(kInventoryWait);
    fleet.TakeBackupNow(device.mac, inventory::backup_reason::kBeforeSettingsRestore, kInventoryWait);
    actions::SendConfiguration(session.Engine(), plan.request, device.ip, device.mac, {});
    if (!session.Signals().Sleep(std::max<std::chrono::milliseconds>(plan.wait, kConfirmWait)))
        return {false, true};
    fleet.Flush(kInventoryWait);
    const auto reported = fleet.LastRecord(device.mac);
    const bool done =
        reported && HoldsSettings(*reported, actions::WithBlocks(device.record, backup.record, blocks), blocks);
    session.Output().out << DeviceLabel(device) << (done ? " restored" : " did not confirm the settings") << '\n';
    fleet.RecordAction(device.mac, kind, done ? "confirmed" : "not confirmed", detail);
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
    std::size_t done = 0;
    for (const FoundDevice& device : devices.found) {
        const DeviceResult result = SendSettings(session, device, backup, blocks, kind, source);
        if (result.interrupted)
            return Interrupted(session);
        done += result.done ? 1 : 0;
    }
    return done == devices.found.size() && devices.missing.empty() ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
