// Requests to devices and what their replies change: device status codes in the store, the
// address of an online entry after set_ip, and the reboot/restore sending order.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "engine/net_management.h"
#include "engine/payload_blocks.h"
#include "protocol/codes.h"
#include "store/sql_management.h"

namespace cpe {
namespace {

// Access points with stations bridged to them go first; the rest follow after this pause.
constexpr auto kBridgedFirstDelay = std::chrono::milliseconds(200);

// Sleeps for `delay` or until a stop is requested; true when it was.
bool StoppedDuring(std::stop_token stop, std::chrono::milliseconds delay) {
    std::mutex mutex;
    std::condition_variable_any stopped;
    std::unique_lock lock(mutex);
    stopped.wait_for(lock, stop, delay, [] { return false; });
    return stop.stop_requested();
}

}  // namespace

bool CNetManagement::SendCommand(std::string_view ip, MessageType type, std::span<const std::uint8_t> payload) {
    return Send(SocketRole::kRequest, ip, config_.endpoints.deviceCommandPort, type, payload);
}

void CNetManagement::SetPendingIp(std::string_view mac, std::string_view currentIp, std::string_view newIp) {
    online_.SetPendingIp(mac, currentIp, newIp);
}

void CNetManagement::ApplyPendingIp(std::string_view mac, std::string_view senderIp) {
    online_.ApplyPendingIp(mac, senderIp);
}

void CNetManagement::OnSetIpReply(const Incoming& in) {
    ApplyPendingIp(FormatMac(in.header.mac), SenderIpText(in.from));
}

void CNetManagement::OnUpgradePoll(const Incoming& in) { store_.MarkUpgrading(FormatMac(in.header.mac)); }

// A result reply without its result byte says nothing; it must not read as success.
void CNetManagement::OnBridgeResult(const Incoming& in) {
    if (!in.payload.empty())
        store_.SetDeviceStatus(FormatMac(in.header.mac), in.payload[0] == 0 ? kStatusBridgeSuccess : kStatusBridgeFail);
}

// reboot and set_vlan: the device restarts.
void CNetManagement::OnRestartResult(const Incoming& in) {
    if (!in.payload.empty() && in.payload[0] == 0)
        store_.SetDeviceStatus(FormatMac(in.header.mac), kStatusRestarting);
}

void CNetManagement::OnRestoreResult(const Incoming& in) {
    if (!in.payload.empty() && in.payload[0] == 0)
        store_.SetDeviceStatus(FormatMac(in.header.mac), kStatusReseting);
}

// 0: the upgrade runs (models of set B wait first); 1: it failed; any other value: it succeeded.
void CNetManagement::OnUpgradeState(const Incoming& in) {
    if (in.payload.empty())
        return;
    const std::uint8_t result = in.payload[0];
    if (result == 0)
        store_.SetDeviceStatus(FormatMac(in.header.mac),
                               IsModelSetB(upgradeModel_.load()) ? kStatusUpgradeWait : kStatusUpgrading);
    else
        store_.SetDeviceStatus(FormatMac(in.header.mac), result == 1 ? kStatusUpgradeFail : kStatusUpgradeSuccess);
}

std::size_t CNetManagement::SendRebootRestore(std::vector<DeviceTarget> selection, MessageType type,
                                              std::stop_token stop) {
    std::size_t sent = 0;
    std::vector<DeviceTarget> rest;
    for (DeviceTarget& target : selection) {
        if (stop.stop_requested())
            return sent;
        if (store_.HasBridgedStations(target.mac)) {
            SendCommand(target.ip, type);
            ++sent;
        } else {
            rest.push_back(std::move(target));
        }
    }

    if (StoppedDuring(stop, kBridgedFirstDelay))
        return sent;

    for (const DeviceTarget& target : rest) {
        if (stop.stop_requested())
            return sent;
        SendCommand(target.ip, type);
        ++sent;
    }
    return sent;
}

void CNetManagement::SendRename(std::string_view ip, std::string_view ansiName, std::stop_token stop) {
    if (stop.stop_requested())
        return;
    ap_info_stu record;
    std::memset(&record, 0, sizeof record);
    record.ap_name.assign(ansiName);
    SendCommand(ip, MessageType::set_name, MakeNameBlock(record));
    if (StoppedDuring(stop, kRenameRecordDelay))
        return;
    SendCommand(ip, MessageType::get_info);
}

}  // namespace cpe
