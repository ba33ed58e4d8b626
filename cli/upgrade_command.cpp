// upgrade: the upgrade dialog's run from the command line. The helper, the batches, the polls, the
// limits and the schedule of the run's timers are the dialog's own (actions/); this file only
// wakes when a timer is due and ticks it, prints each device's status as it changes, and ends the
// run early once every device of the chosen model has reported success or failure: nothing would
// be sent any more.
#include <algorithm>
#include <atomic>
#include <map>
#include <optional>

#include "actions/upgrade/operate_system_info.h"
#include "actions/upgrade/upgrade_bindings.h"
#include "actions/upgrade/upgrade_helpers.h"
#include "actions/upgrade/upgrade_run.h"
#include "actions/upgrade/upgrade_schedule.h"
#include "actions/upgrade/upgrade_send_thread.h"
#include "cli/commands.h"
#include "cli/discovery_loop.h"
#include "inventory/inventory.h"
#include "lang/placeholders.h"
#include "protocol/codes.h"

namespace cpe::cli {
namespace {

using actions::UpgradeTimer;
using Clock = actions::UpgradeSchedule::Clock;

// Why the helper did not start, in one line.
std::string HelperFailure(const actions::UpgradeHelperStart& start, const actions::HelperLayout& layout) {
    if (start.noLocalAddress)
        return "no address of this computer is in the subnet of the devices, so the file cannot be served to them";
    const actions::HelperStart& helper = start.helper;
    if (helper.helper == actions::HelperKind::kFileServer)
        return "the file server " + layout.fileServerExecutable + " could not start: " + helper.reason;
    return "the TFTP server " + layout.tftpExecutable + " could not start on " + helper.address + ": " + helper.reason;
}

// What the devices of the run reported, and the lines that say so.
class StatusLog {
public:
    explicit StatusLog(const std::vector<FoundDevice>& devices) {
        for (const FoundDevice& device : devices)
            labels_[device.mac] = DeviceLabel(device);
    }
    // The line to print when the device's status changed.
    std::optional<std::string> Note(const actions::DeviceStatus& device) {
        int& shown = shown_.try_emplace(device.mac, -1).first->second;
        if (device.status == kStatusUpgradeSuccess || device.status == kStatusUpgradeFail)
            final_[device.mac] = device.status;
        if (shown == device.status)
            return std::nullopt;
        shown = device.status;
        return labels_[device.mac] + " " + StatusWord(device.status);
    }
    // Every device of the queue reported success or failure.
    bool AllSettled(const std::vector<actions::UpgradeTarget>& queue) const {
        return std::all_of(queue.begin(), queue.end(), [this](const auto& t) { return final_.count(t.mac) != 0; });
    }
    // The device's last status word, for its history.
    std::string Outcome(const std::string& mac) const {
        const auto it = final_.find(mac);
        return it == final_.end() ? "did not report" : StatusWord(it->second);
    }
    int Count(int status) const {
        return static_cast<int>(
            std::count_if(final_.begin(), final_.end(), [status](const auto& f) { return f.second == status; }));
    }

private:
    std::map<std::string, std::string> labels_;
    std::map<std::string, int> shown_;
    std::map<std::string, int> final_;  // success or failure, once reported
};

}  // namespace

std::optional<std::string> UpgradeRefusal(const UpgradeRequest& request) {
    const auto refusal = actions::RefusalOf(
        actions::CheckUpgradeHelper(actions::COperateSystemInfo::GetInstance().Layout(), request.model));
    if (!refusal)
        return std::nullopt;
    return FillPlaceholders(refusal->key, refusal->values);
}

int RunUpgrade(Session& session, const Invocation& run, const UpgradeRequest& request) {
    const FoundDevices devices = FindDevices(session, run.devices, run.seconds, true);
    if (const auto status = NothingToDo(session, devices))
        return *status;
    std::vector<actions::UpgradeTarget> targets;
    for (const FoundDevice& device : devices.found) {
        if (device.model != request.model) {
            session.Output().Error(DeviceLabel(device) + " is a " + ModelName(device.model) + ", not a " +
                                   ModelName(request.model) + "; nothing was sent");
            return kExitUsage;
        }
        targets.push_back({device.ip, device.mac, device.model});
    }

    CNetManagement& engine = session.Engine();
    actions::COperateSystemInfo& helpers = actions::COperateSystemInfo::GetInstance();
    const std::vector<actions::UpgradeTarget> queue = actions::WaitingQueueOf(targets, request.model);
    const actions::UpgradeHelperStart helper =
        actions::StartUpgradeHelper(helpers, engine, request.model, request.folder, queue);
    if (!helper.Ok()) {
        session.Output().Error("cannot start: " + HelperFailure(helper, helpers.Layout()));
        return kExitCannotStart;
    }

    inventory::Inventory& fleet = session.Inventory();
    fleet.Flush(std::chrono::seconds(10));
    for (const actions::UpgradeTarget& target : queue)
        fleet.TakeBackup(target.mac, inventory::backup_reason::kBeforeUpgrade);

    const actions::UpgradeTimings timings;
    engine.SetUpgradeModelCode(request.model);
    actions::StoreUpgradeQueries queries(session.Store());
    actions::EngineUpgradeSender sender(engine, request.fileName);
    actions::UpgradeRun upgrade(targets, request.model, IsModelSetB(request.model), queries, sender);
    std::atomic<bool> firstSent = false;
    actions::UpgradeSendThread sendThread;
    sendThread.Start(upgrade.Start(), sender, actions::BeforeFirstBatch(helpers, request.model, timings),
                     [&firstSent] { firstSent = true; });

    StatusLog log(devices.found);
    ProgressLine progress(session.Output());
    actions::UpgradeSchedule schedule(timings);
    schedule.Follow(upgrade, Clock::now());
    bool interrupted = false;
    while (upgrade.Phase() != actions::UpgradePhase::kFinished && !log.AllSettled(queue)) {
        const Clock::time_point now = Clock::now();
        const Clock::time_point wake = schedule.NextDue().value_or(now + timings.statusPeriod);
        if (!session.Signals().Sleep(
                std::chrono::ceil<std::chrono::milliseconds>(std::max(wake - now, Clock::duration())))) {
            interrupted = true;
            break;
        }
        if (firstSent.exchange(false)) {
            upgrade.FirstBatchSent();
            schedule.Follow(upgrade, Clock::now());
        }
        for (const UpgradeTimer timer : schedule.TakeDue(Clock::now())) {
            switch (timer) {
            case UpgradeTimer::kTransfer: upgrade.TickTransfer(); break;
            case UpgradeTimer::kFlashing: upgrade.TickFlash(); break;
            case UpgradeTimer::kFollowUp: upgrade.TickFollowUp(); break;
            case UpgradeTimer::kStatus:
                for (const actions::DeviceStatus& device : upgrade.TickStatus()) {
                    if (const auto line = log.Note(device)) {
                        progress.Clear();
                        session.Output().out << *line << std::endl;
                    }
                }
                break;
            }
        }
        schedule.Follow(upgrade, Clock::now());
        progress.Show(std::string(upgrade.Phase() == actions::UpgradePhase::kTransfer ? "transfer " : "flashing ") +
                      std::to_string(upgrade.ProgressPosition()) + "/" + std::to_string(upgrade.ProgressRange()) +
                      " s, batch " + std::to_string(upgrade.BatchesSent()));
    }
    progress.Done();
    sendThread.Stop();
    helpers.StopHelpers();
    const inventory::EventDetail image =
        inventory::FirmwareDetail(std::filesystem::path(request.folder) / request.fileName);
    for (const actions::UpgradeTarget& target : queue)
        fleet.RecordAction(target.mac, inventory::event_kind::kUpgrade,
                           interrupted ? "interrupted" : log.Outcome(target.mac), image);
    if (interrupted)
        return Interrupted(session);

    const int succeeded = log.Count(kStatusUpgradeSuccess);
    const int failed = log.Count(kStatusUpgradeFail);
    const int silent = static_cast<int>(queue.size()) - succeeded - failed;
    session.Output().out << succeeded << " upgraded, " << failed << " failed, " << silent << " did not report, "
                         << devices.missing.size() << " not found\n";
    return succeeded == static_cast<int>(queue.size()) && devices.missing.empty() ? kExitOk : kExitDeviceFailed;
}

}  // namespace cpe::cli
