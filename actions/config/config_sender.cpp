#include "actions/config/config_sender.h"

#include <condition_variable>
#include <mutex>

#include "actions/common/record_slices.h"
#include "engine/net_management.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

std::string NewIpOf(const IpBlock& block) { return FormatIp(RecordWith(block, kIpBlockOffset).ip); }

// Waits `delay` unless a stop is requested first; true when the full delay passed.
bool PauseUnlessStopped(std::chrono::milliseconds delay, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    return !wake.wait_for(lock, stop, delay, [] { return false; }) && !stop.stop_requested();
}

}  // namespace

void SendConfiguration(CNetManagement& engine, const config_request& request, std::string_view targetIp,
                       std::string_view targetMac, std::stop_token stop, std::chrono::milliseconds recordDelay) {
    auto send = [&](bool changed, MessageType type, std::span<const std::uint8_t> payload) {
        if (!changed)
            return true;
        if (stop.stop_requested())
            return false;
        engine.SendCommand(targetIp, type, payload);
        return true;
    };
    const NameBlock name = MakeNameBlock(RecordWith(request.name_block, kNameBlockOffset));
    const WirelessBlock wireless = MakeWirelessBlock(RecordWith(request.wireless_block, kWirelessBlockOffset));
    if (!send(request.name_changed, MessageType::set_name, name) ||
        !send(request.wireless_changed, MessageType::set_wireless, wireless) ||
        !send(request.restart_changed, MessageType::set_restart, request.restart_block) ||
        !send(request.vlan_changed, MessageType::set_vlan, request.vlan_block))
        return;

    std::string recordIp(targetIp);
    if (request.ip_changed) {
        if (stop.stop_requested())
            return;
        recordIp = NewIpOf(request.ip_block);
        engine.SetPendingIp(targetMac, targetIp, recordIp);
        engine.SendCommand(targetIp, MessageType::set_ip, request.ip_block);
    }

    if (request.SendsAnything() && PauseUnlessStopped(recordDelay, stop))
        engine.SendCommand(recordIp, MessageType::get_info);
}

ConfigSender::ConfigSender(CNetManagement& engine, std::chrono::milliseconds recordDelay)
    : engine_(engine), recordDelay_(recordDelay) {}

void ConfigSender::Start(const config_request& request, std::string targetIp, std::string targetMac) {
    Stop();
    thread_ = std::jthread([this, request, ip = std::move(targetIp), mac = std::move(targetMac)](std::stop_token stop) {
        SendConfiguration(engine_, request, ip, mac, stop, recordDelay_);
    });
}

void ConfigSender::Stop() {
    if (!thread_.joinable())
        return;
    thread_.request_stop();
    thread_.join();
}

}  // namespace cpe::actions
