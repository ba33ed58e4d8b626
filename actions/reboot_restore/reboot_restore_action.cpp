#include "actions/reboot_restore/reboot_restore_action.h"

#include <algorithm>

#include "engine/net_management.h"
#include "protocol/codes.h"
#include "store/sql_management.h"

namespace cpe::actions {

std::vector<SelectedDevice> SelectCheckedRows(std::span<const ListedRow> rows) {
    std::vector<SelectedDevice> selection;
    for (const ListedRow& row : rows)
        if (row.checked)
            selection.push_back({row.ip, row.mac, ModelCode(row.typeText)});
    return selection;
}

RebootRestoreAction::RebootRestoreAction(const RebootRestoreKind& kind, CNetManagement& engine, CSqlManagement& store)
    : kind_(kind), engine_(engine), store_(store) {}

WaitJob RebootRestoreAction::Wait() const {
    std::vector<std::string> ips;
    for (const SelectedDevice& device : selection_)
        ips.push_back(device.ip);
    return {kind_.waitTitleKey, kind_.waitLineKey, kind_.waitEarlyCloseKey, WaitTarget(ips)};
}

void RebootRestoreAction::StartSender() {
    StopSender();
    std::vector<DeviceTarget> targets;
    targets.reserve(selection_.size());
    for (const SelectedDevice& device : selection_)
        targets.push_back({device.mac, device.ip});
    sender_ = std::jthread([&engine = engine_, command = kind_.command, targets = std::move(targets)](
                               std::stop_token stop) { engine.SendRebootRestore(targets, command, stop); });
}

void RebootRestoreAction::StopSender() {
    if (!sender_.joinable())
        return;
    sender_.request_stop();
    sender_.join();
}

std::vector<RowStatus> RebootRestoreAction::FollowUp(std::span<const std::string> rowMacs) const {
    std::vector<RowStatus> shown;
    for (const SelectedDevice& device : selection_) {
        const auto row = std::find(rowMacs.begin(), rowMacs.end(), device.mac);
        if (row != rowMacs.end())
            shown.push_back({static_cast<std::size_t>(row - rowMacs.begin()), store_.GetDeviceStatus(device.mac)});
    }
    return shown;
}

}  // namespace cpe::actions
