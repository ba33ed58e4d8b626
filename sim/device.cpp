#include "sim/device.h"

#include <algorithm>
#include <cstring>

namespace cpe::sim {
namespace {

constexpr std::size_t kRecentRequests = 32;

template <typename T>
std::vector<std::uint8_t> Bytes(const T& record) {
    const auto span = BytesOf(record);
    return {span.begin(), span.end()};
}

}  // namespace

std::uint32_t SimDevice::UpTimeSeconds(Clock::time_point now) const {
    const auto s = std::chrono::duration_cast<std::chrono::seconds>(now - bootTime).count();
    return s < 0 ? 0 : static_cast<std::uint32_t>(s);
}

void SimDevice::NoteRequest(const std::string& name, Clock::time_point now, std::span<const std::uint8_t> payload) {
    ++received[name];
    lastReceivedMs[name] = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    lastPayload[name].assign(payload.begin(), payload.end());
    recent.push_back(name);
    if (recent.size() > kRecentRequests)
        recent.pop_front();
}

std::vector<std::uint8_t> SimDevice::SearchSummary(Clock::time_point now) const {
    search_summary s{};
    s.version = record.version;
    s.work_mode = record.work_mode;
    s.mode_btn_status = record.mode_btn_status;
    s.up_time.set(UpTimeSeconds(now));
    s.ap_name = record.ap_name;
    s.ssid = record.ssid;
    s.channel = record.channel;
    return Bytes(s);
}

Ipv4 SimDevice::ReportedIp() const {
    if (!reportsWrongIp)
        return ip;
    // An address in the same subnet that no device of this network uses: the top of the range.
    const Ipv4 mask = FromRaw(record.ip_mask);
    const Ipv4 top = (ip & mask) | (~mask & 0xFFFFFF00u) | 0xFE;
    return top == ip ? top - 1 : top;
}

std::vector<std::uint8_t> SimDevice::RecordPayload(Clock::time_point now) const {
    ap_info_stu r = record;
    r.up_time.set(UpTimeSeconds(now));
    r.ip = ToRaw(ReportedIp());
    const auto all = Bytes(r);
    return {all.begin() + kGetInfoPayloadOffset, all.end()};
}

bool SimDevice::ApplyBlock(std::size_t offset, std::size_t size, const std::vector<std::uint8_t>& payload) {
    if (payload.size() < size || offset + size > sizeof record)
        return false;
    std::memcpy(reinterpret_cast<std::uint8_t*>(&record) + offset, payload.data(), size);
    return true;
}

Ipv4 SimDevice::ApplyIpBlock(const std::uint8_t* block) {
    std::memcpy(reinterpret_cast<std::uint8_t*>(&record) + kIpBlockOffset, block, kIpBlockSize);
    record.ip_apply = 0;
    return FromRaw(record.ip);
}

const char* RequestName(std::uint16_t type) {
    switch (type) {
    case 1: return "search";
    case 2: return "get_info";
    case 3: return "set_ip";
    case 4: return "set_wireless";
    case 5: return "set_restart";
    case 6: return "site_survey";
    case 7: return "bridge";
    case 8: return "set_name";
    case 9: return "reboot";
    case 10: return "restore";
    case 11: return "upgrade";
    case 12: return "upgrade_state";
    case 13: return "set_vlan";
    case 15: return "heartbeat";
    case 16: return "upgrade_poll";
    default: return "unknown";
    }
}

const char* PowerName(Power p) {
    switch (p) {
    case Power::kOn: return "on";
    case Power::kRestarting: return "restarting";
    case Power::kStopped: return "stopped";
    }
    return "on";
}

const char* FirmwareStageName(FirmwareStage p) {
    switch (p) {
    case FirmwareStage::kIdle: return "idle";
    case FirmwareStage::kWaitingPoll: return "waiting_poll";
    case FirmwareStage::kFetching: return "fetching";
    case FirmwareStage::kFlashing: return "flashing";
    case FirmwareStage::kSucceeded: return "succeeded";
    case FirmwareStage::kFailed: return "failed";
    }
    return "idle";
}

}  // namespace cpe::sim
