// rename, reboot and restore: one request to each named device, then its answer followed in the
// store.
#include <chrono>
#include <map>

#include "actions/reboot_restore/reboot_restore_action.h"
#include "cli/commands.h"
#include "cli/discovery_loop.h"
#include "inventory/inventory.h"
#include "platform/codepage.h"

namespace cpe::cli {
namespace {

constexpr std::chrono::milliseconds kFollowUpTick{1000};
// The device answers a rename with its record, asked for kRenameRecordDelay after the name.
constexpr int kRenameWaitTicks = 5;

}  // namespace

int RunRename(Session& session, const Invocation& run, const std::string& name) {
    const FoundDevices devices = FindDevices(session, run.devices, run.seconds, false);
    if (const auto status = NothingToDo(session, devices))
        return *status;
    const FoundDevice& device = devices.found.front();
    session.Engine().SendRename(device.ip, name);
    const auto recordRename = [&](std::string_view outcome) {
        session.Inventory().RecordAction(device.mac, inventory::event_kind::kRename, outcome,
                                         inventory::EventDetail().Add("name", platform::AnsiToUtf8Lossy(name)));
    };

    ap_info_stu record{};
    for (int tick = 0; tick < kRenameWaitTicks; ++tick) {
        if (!session.Signals().Sleep(kFollowUpTick))
            return Interrupted(session);
        if (session.Store().GetDevice(device.mac, record) && record.ap_name.text() == name) {
            recordRename("confirmed");
            session.Output().out << DeviceLabel(device) << " " << platform::AnsiToUtf8Lossy(name) << '\n';
            return kExitOk;
        }
    }
    recordRename("not confirmed");
    session.Output().Error(DeviceLabel(device) + ": the device did not confirm its new name");
    return kExitDeviceFailed;
}

int RunRebootRestore(Session& session, const Invocation& run) {
    const FoundDevices devices = FindDevices(session, run.devices, run.seconds, true);
    if (const auto status = NothingToDo(session, devices))
        return *status;

    const actions::RebootRestoreKind& kind =
        run.command == Command::kReboot ? actions::kRebootKind : actions::kRestoreKind;
    std::vector<actions::SelectedDevice> selection;
    std::vector<std::string> macs;
    for (const FoundDevice& device : devices.found) {
        selection.push_back({device.ip, device.mac, device.model});
        macs.push_back(device.mac);
    }
    const bool factory = run.command == Command::kRestore;
    inventory::Inventory& fleet = session.Inventory();
    if (factory) {
        fleet.Flush(std::chrono::seconds(10));
        for (const std::string& mac : macs)
            fleet.TakeBackup(mac, inventory::backup_reason::kBeforeFactoryRestore);
    }
    actions::RebootRestoreAction action(kind, session.Engine(), session.Store());
    action.SetSelection(selection);
    action.StartSender();

    // The devices' statuses, followed as the page's wait popup follows them. A device that took
    // the command restarts and drops out of the store meanwhile: it reported once, that counts.
    std::map<std::size_t, int> shown;
    std::vector<bool> took(selection.size(), false);
    std::size_t reported = 0;
    const int ticks = actions::RebootRestoreTimings{}.waitSeconds;
    for (int tick = 0; tick < ticks && reported < selection.size(); ++tick) {
        if (!session.Signals().Sleep(kFollowUpTick))
            return Interrupted(session);
        for (const actions::RowStatus& row : action.FollowUp(macs)) {
            if (row.status == kind.reportedStatus && !took[row.row]) {
                took[row.row] = true;
                ++reported;
            }
            const auto last = shown.find(row.row);
            if (last != shown.end() && last->second == row.status)
                continue;
            shown[row.row] = row.status;
            session.Output().out << DeviceLabel(devices.found[row.row]) << " " << StatusWord(row.status) << std::endl;
        }
    }
    action.StopSender();
    for (std::size_t i = 0; i < selection.size(); ++i)
        fleet.RecordAction(macs[i], factory ? inventory::event_kind::kFactoryRestore : inventory::event_kind::kReboot,
                           took[i] ? StatusWord(kind.reportedStatus) : "did not report");
    const std::size_t failed = selection.size() - reported + devices.missing.size();
    session.Output().out << reported << " of " << selection.size() + devices.missing.size() << " devices "
                         << StatusWord(kind.reportedStatus) << '\n';
    return failed == 0 ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
