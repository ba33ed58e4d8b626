#include "sim/device_network.h"

#include <algorithm>
#include <cstring>

#include "protocol/packet.h"
#include "sim/fleet.h"

namespace cpe::sim {
namespace {

constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kFailed = 1;
constexpr std::uint8_t kUpgradeDone = 2;  // any value but 0 and 1 means success to the utility

std::string VersionFromFile(const std::string& file) {
    const auto dot = file.rfind('.');
    std::string stem = dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
    return stem.substr(0, 32);
}

}  // namespace

DeviceNetwork::DeviceNetwork(SimOptions options, Clock::time_point now)
    : options_(std::move(options)), fleet_(BuildFleet(options_, now)), rng_(options_.seed), key_(DefaultPayloadKey()) {
    byIp_.reserve(fleet_.size());
    byMac_.reserve(fleet_.size());
    for (const SimDevice& d : fleet_) {
        byIp_[d.ip] = d.index;
        byMac_[d.macText] = d.index;
    }
}

void DeviceNetwork::Start(Clock::time_point, Outbox& out) {
    // Spread the heartbeats over one period so the utility sees an even stream.
    const auto period = std::max<std::int64_t>(1, options_.heartbeat.count());
    for (const SimDevice& d : fleet_) {
        const auto phase = static_cast<std::int64_t>(d.index) * period / static_cast<std::int64_t>(fleet_.size());
        out.Arm(Millis(phase), {TimerKind::kHeartbeat, d.index, 0});
    }
}

SimDevice* DeviceNetwork::DeviceAt(Ipv4 ip) {
    const auto it = byIp_.find(ip);
    return it == byIp_.end() ? nullptr : &fleet_[it->second];
}

SimDevice* DeviceNetwork::MutableByMac(const std::string& mac) {
    const auto it = byMac_.find(mac);
    return it == byMac_.end() ? nullptr : &fleet_[it->second];
}

const SimDevice* DeviceNetwork::FindByMac(const std::string& mac) const {
    const auto it = byMac_.find(mac);
    return it == byMac_.end() ? nullptr : &fleet_[it->second];
}

std::vector<std::size_t> DeviceNetwork::SubnetsHolding(Ipv4 ip) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < options_.subnets.size(); ++i)
        if (options_.subnets[i].contains(ip))
            out.push_back(i);
    return out;
}

void DeviceNetwork::SendFrom(SimDevice& d, std::uint16_t fromPort, Endpoint to, std::uint16_t type,
                             std::span<const std::uint8_t> payload, Outbox& out, Millis delay) {
    if (d.power != Power::kOn)
        return;
    auto datagram = BuildDevicePacket(key_, d.model, d.mac, type, payload);
    if (datagram.empty())
        return;
    out.Send({d.ip, fromPort}, to, std::move(datagram), delay);
}

void DeviceNetwork::SendResult(SimDevice& d, Endpoint to, std::uint16_t type, std::uint8_t result, Outbox& out) {
    const std::uint8_t payload[1] = {result};
    SendFrom(d, options_.ports.command, to, type, payload, out);
}

void DeviceNetwork::SendRecord(SimDevice& d, Endpoint to, Clock::time_point now, Outbox& out) {
    if (d.neverSendsRecord)
        return;
    const auto payload = d.RecordPayload(now);
    SendFrom(d, options_.ports.command, to, TypeCode(MessageType::get_info), payload, out);
    ++d.recordsSent;
}

void DeviceNetwork::OnDiscovery(std::span<const std::uint8_t> datagram, Endpoint src, Ipv4 dst,
                                const std::vector<std::size_t>& linkSubnets, Clock::time_point now, Outbox& out) {
    const auto header = ParsePacketHeader(datagram);
    if (!header || header->type.get() != TypeCode(MessageType::search)) {
        ++rejected;
        return;
    }
    auto answer = [&](SimDevice& d) {
        if (d.power != Power::kOn)
            return;
        d.manager = src.ip;
        d.NoteRequest("search", now, {});
        ++d.searchReplies;
        Millis delay{0};
        if (options_.replySpread.count() > 0)
            delay = Millis(std::uniform_int_distribution<std::int64_t>(0, options_.replySpread.count())(rng_));
        const auto summary = d.SearchSummary(now);
        SendFrom(d, options_.ports.discovery, {src.ip, options_.ports.utilSearchReply}, TypeCode(MessageType::search),
                 summary, out, delay);
    };
    if (SimDevice* d = DeviceAt(dst)) {
        answer(*d);
        return;
    }
    std::vector<std::size_t> subnets;
    if (dst == 0xFFFFFFFFu) {
        subnets = linkSubnets;
        if (subnets.empty())
            for (std::size_t i = 0; i < options_.subnets.size(); ++i)
                subnets.push_back(i);
    } else {
        for (std::size_t i = 0; i < options_.subnets.size(); ++i)
            if (options_.subnets[i].broadcast() == dst)
                subnets.push_back(i);
    }
    if (subnets.empty())
        return;
    for (SimDevice& d : fleet_)
        for (std::size_t s : subnets)
            if (options_.subnets[s].contains(d.ip)) {
                answer(d);
                break;
            }
}

void DeviceNetwork::OnCommand(std::span<const std::uint8_t> datagram, Endpoint src, Ipv4 dst, Clock::time_point now,
                              Outbox& out) {
    const auto header = ParsePacketHeader(datagram);
    if (!header) {
        ++rejected;
        return;
    }
    SimDevice* dp = DeviceAt(dst);
    if (!dp || dp->power != Power::kOn)
        return;
    SimDevice& d = *dp;
    const auto payload = ReadPayload(key_, datagram);
    const std::uint16_t type = header->type.get();
    if (type == TypeCode(MessageType::heartbeat)) {
        ++d.heartbeatAcks;
        return;
    }
    d.NoteRequest(RequestName(type), now, payload);
    switch (static_cast<MessageType>(type)) {
    case MessageType::search: {
        d.manager = src.ip;
        const auto summary = d.SearchSummary(now);
        SendFrom(d, options_.ports.command, src, type, summary, out);
        ++d.searchReplies;
        break;
    }
    case MessageType::get_info: SendRecord(d, src, now, out); break;
    case MessageType::set_ip:
        if (payload.size() < kIpBlockSize)
            break;
        SendResult(d, src, type, kOk, out);
        if (const Ipv4 ip = d.ApplyIpBlock(payload.data()); ip != 0 && ip != d.ip)
            MoveTo(d, ip);
        break;
    case MessageType::set_wireless:
        if (d.ApplyBlock(kWirelessBlockOffset, kWirelessBlockSize, payload))
            SendResult(d, src, type, kOk, out);
        break;
    case MessageType::set_restart:
        if (d.ApplyBlock(kRestartBlockOffset, kRestartBlockSize, payload))
            SendResult(d, src, type, kOk, out);
        break;
    case MessageType::set_name:
        if (d.ApplyBlock(kNameBlockOffset, kNameBlockSize, payload))
            SendResult(d, src, type, kOk, out);
        break;
    case MessageType::set_vlan:
        // New VLAN settings take effect with a restart.
        if (!d.ApplyBlock(kVlanBlockOffset, kVlanBlockSize, payload))
            break;
        d.record.vlan_apply = 0;
        SendResult(d, src, type, kOk, out);
        RestartLater(d, out);
        break;
    case MessageType::site_survey: HandleSurvey(d, src, out); break;
    case MessageType::bridge: HandleBridge(d, src, payload, out); break;
    case MessageType::reboot:
        SendResult(d, src, type, kOk, out);
        RestartLater(d, out);
        break;
    case MessageType::restore:
        SendResult(d, src, type, kOk, out);
        d.restorePending = true;
        RestartLater(d, out);
        break;
    case MessageType::upgrade: HandleUpgrade(d, src, payload, out); break;
    case MessageType::upgrade_poll: HandleUpgradePoll(d, src, out); break;
    default:
        ++rejected;  // upgrade_state and unknown types are never sent to a device
        break;
    }
}

void DeviceNetwork::MoveTo(SimDevice& d, Ipv4 ip) {
    const auto it = byIp_.find(d.ip);
    if (it != byIp_.end() && it->second == d.index)
        byIp_.erase(it);
    d.ip = ip;
    d.record.ip = ToRaw(ip);
    byIp_[ip] = d.index;
}

void DeviceNetwork::RestartLater(SimDevice& d, Outbox& out) {
    out.Arm(options_.applyDelay, {TimerKind::kRestart, d.index, d.powerGeneration});
}

void DeviceNetwork::Boot(SimDevice& d, Clock::time_point now, Outbox& out) {
    d.power = Power::kOn;
    d.bootTime = now;
    if (!d.manager)
        return;
    // Announce the restart: a search summary, then the fresh record the utility stores.
    const auto summary = d.SearchSummary(now);
    SendFrom(d, options_.ports.discovery, {*d.manager, options_.ports.utilSearchReply}, TypeCode(MessageType::search),
             summary, out);
    SendRecord(d, {*d.manager, options_.ports.utilReply}, now, out);
}

void DeviceNetwork::OnTimer(const Timer& t, Clock::time_point now, Outbox& out) {
    if (t.device >= fleet_.size())
        return;
    SimDevice& d = fleet_[t.device];
    switch (t.kind) {
    case TimerKind::kHeartbeat:
        out.Arm(options_.heartbeat, t);
        if (d.power == Power::kOn && d.manager) {
            const auto summary = d.SearchSummary(now);
            SendFrom(d, options_.ports.command, {*d.manager, options_.ports.utilHeartbeat},
                     TypeCode(MessageType::heartbeat), summary, out);
            ++d.heartbeatsSent;
        }
        break;
    case TimerKind::kRestart:
        if (t.generation != d.powerGeneration || d.power != Power::kOn)
            break;
        d.power = Power::kRestarting;
        ++d.powerGeneration;
        ++d.restarts;
        if (d.restorePending) {
            d.restorePending = false;
            d.record = d.factory;
            MoveTo(d, d.factoryIp);
        }
        out.Arm(options_.rebootSilence, {TimerKind::kBoot, d.index, d.powerGeneration});
        break;
    case TimerKind::kBoot:
        if (t.generation == d.powerGeneration && d.power == Power::kRestarting)
            Boot(d, now, out);
        break;
    case TimerKind::kFlashDone:
        if (t.generation != d.upgrade.generation || d.upgrade.phase != FirmwareStage::kFlashing)
            break;
        d.upgrade.phase = FirmwareStage::kSucceeded;
        d.record.version.assign(VersionFromFile(d.upgrade.file));
        d.factory.version = d.record.version;  // the new firmware survives a restore
        SendResult(d, {d.upgrade.server, d.upgrade.replyPort}, TypeCode(MessageType::upgrade_state), kUpgradeDone, out);
        RestartLater(d, out);
        break;
    case TimerKind::kPollTimeout:
        if (t.generation != d.upgrade.generation || d.upgrade.phase != FirmwareStage::kWaitingPoll)
            break;
        d.upgrade.phase = FirmwareStage::kFailed;
        d.upgrade.error = "no upgrade_poll";
        SendResult(d, {d.upgrade.server, d.upgrade.replyPort}, TypeCode(MessageType::upgrade_state), kFailed, out);
        break;
    }
}

void DeviceNetwork::HandleSurvey(SimDevice& d, Endpoint src, Outbox& out) {
    const auto entries = SurveyFor(fleet_, d, options_.surveyInvented, options_.surveyMax, rng_);
    for (const survey_packet& p : SurveyPackets(entries))
        SendFrom(d, options_.ports.command, src, TypeCode(MessageType::site_survey), BytesOf(p), out);
}

void DeviceNetwork::HandleBridge(SimDevice& d, Endpoint src, std::span<const std::uint8_t> payload, Outbox& out) {
    if (payload.size() < kBridgeBlockSize + kIpBlockSize)
        return;
    const auto block = ReadRecord<bridge_block>(payload.first(kBridgeBlockSize));
    const bool accepted = block.bridge_mac != RawMac{} && !d.refusesBridge;
    SendResult(d, src, TypeCode(MessageType::bridge), accepted ? kOk : kFailed, out);
    if (!accepted)
        return;
    d.record.bridge = block;
    d.record.bridge.bridge_work_mode = 2;
    d.record.work_mode = 2;
    const std::uint8_t* ipBlock = payload.data() + kBridgeBlockSize;
    RawIp newIp;
    std::memcpy(newIp.data(), ipBlock + 1, 4);
    if (FromRaw(newIp) != 0 && FromRaw(newIp) != d.ip)
        MoveTo(d, d.ApplyIpBlock(ipBlock));
}

void DeviceNetwork::HandleUpgrade(SimDevice& d, Endpoint src, std::span<const std::uint8_t> payload, Outbox& out) {
    const auto busy = d.upgrade.phase == FirmwareStage::kWaitingPoll || d.upgrade.phase == FirmwareStage::kFetching ||
                      d.upgrade.phase == FirmwareStage::kFlashing;
    if (busy)
        return;
    const auto name = payload.first(std::min<std::size_t>(payload.size(), kUpgradeBlockSize));
    const auto nul = std::find(name.begin(), name.end(), std::uint8_t{0});
    UpgradeStatus u;
    u.generation = d.upgrade.generation + 1;
    u.file.assign(name.begin(), nul);
    u.server = src.ip;
    u.replyPort = src.port;
    const bool setB = InModelSetB(d.model);
    u.protocol = (setB ? options_.setBFetch : options_.otherFetch) == FetchProtocol::kHttp ? "http" : "tftp";
    d.upgrade = u;
    if (d.upgrade.file.empty() || d.upgrade.file.find('/') != std::string::npos) {
        d.upgrade.phase = FirmwareStage::kFailed;
        d.upgrade.error = "bad file name";
        SendResult(d, src, TypeCode(MessageType::upgrade_state), kFailed, out);
        return;
    }
    SendResult(d, src, TypeCode(MessageType::upgrade_state), kOk, out);
    if (setB) {
        // Model set B fetches only when the utility releases it with upgrade_poll.
        d.upgrade.phase = FirmwareStage::kWaitingPoll;
        out.Arm(options_.pollTimeout, {TimerKind::kPollTimeout, d.index, d.upgrade.generation});
    } else {
        StartFetch(d, out);
    }
}

void DeviceNetwork::HandleUpgradePoll(SimDevice& d, Endpoint src, Outbox& out) {
    ++d.upgrade.polls;
    SendResult(d, src, TypeCode(MessageType::upgrade_poll), kOk, out);
    if (d.upgrade.phase == FirmwareStage::kWaitingPoll)
        StartFetch(d, out);
}

void DeviceNetwork::StartFetch(SimDevice& d, Outbox& out) {
    d.upgrade.phase = FirmwareStage::kFetching;
    const bool http = d.upgrade.protocol == "http";
    out.Fetch({d.index,
               d.upgrade.generation,
               http ? FetchProtocol::kHttp : FetchProtocol::kTftp,
               d.ip,
               {d.upgrade.server, http ? options_.ports.http : options_.ports.tftp},
               d.upgrade.file});
}

void DeviceNetwork::OnFetched(const FetchRequest& request, const FetchResult& result, Clock::time_point, Outbox& out) {
    if (request.device >= fleet_.size())
        return;
    SimDevice& d = fleet_[request.device];
    if (request.generation != d.upgrade.generation || d.upgrade.phase != FirmwareStage::kFetching)
        return;
    d.upgrade.bytes = result.bytes;
    d.upgrade.fnv1a = result.fnv1a;
    d.upgrade.error = result.error;
    if (result.ok) {
        d.upgrade.phase = FirmwareStage::kFlashing;
        out.Arm(options_.applyDelay, {TimerKind::kFlashDone, d.index, d.upgrade.generation});
    } else {
        d.upgrade.phase = FirmwareStage::kFailed;
        SendResult(d, {d.upgrade.server, d.upgrade.replyPort}, TypeCode(MessageType::upgrade_state), kFailed, out);
    }
}

bool DeviceNetwork::Stop(const std::string& mac) {
    SimDevice* d = MutableByMac(mac);
    if (!d)
        return false;
    d->power = Power::kStopped;
    ++d->powerGeneration;
    return true;
}

bool DeviceNetwork::StartDevice(const std::string& mac, Clock::time_point now, Outbox& out) {
    SimDevice* d = MutableByMac(mac);
    if (!d)
        return false;
    if (d->power == Power::kStopped) {
        ++d->powerGeneration;
        Boot(*d, now, out);
    }
    return true;
}

bool DeviceNetwork::RefuseBridge(const std::string& mac) {
    SimDevice* d = MutableByMac(mac);
    if (!d)
        return false;
    d->refusesBridge = true;
    return true;
}

}  // namespace cpe::sim
