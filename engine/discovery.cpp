// Discovery: the search broadcast, the search replies and heartbeats that keep the online list,
// the full device records and site-survey packets that go to the store, and ageing.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "engine/net_management.h"
#include "lang/operate_character.h"
#include "protocol/codes.h"
#include "store/sql_management.h"

namespace cpe {
namespace {

constexpr const char* kLimitedBroadcast = "255.255.255.255";

// A received name or SSID (UTF-8 on the wire) in the local code set. A pure ASCII text is left
// exactly as received, length byte included.
void FromDevice(CountedText<32>& text) {
    const std::string_view received = text.text();
    if (std::none_of(received.begin(), received.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return;
    text.assign(COperateCharacter::FromDeviceText(received));
}

// The payload scrambling leaves zero bytes as they are, so a byte equal to the key arrives as 0
// just like a zero: a device at a.b.c.<key> reports a.b.c.0. The sender's address is the
// device's own; its byte fills each byte the scrambling may have lost.
void RestoreScrambledAddress(RawIp& reported, const sockaddr_in& from, std::uint8_t key) {
    RawIp sender;
    std::memcpy(sender.data(), &from.sin_addr.s_addr, sender.size());
    for (std::size_t i = 0; i < reported.size(); ++i)
        if (reported[i] == 0 && sender[i] == key)
            reported[i] = key;
}

// A survey entry's signal arrives as 0 when it equalled the key. No receiver hears 0 dBm, so a 0
// is the key's byte: with the usual key, -63 dBm instead of the strongest possible signal.
std::int8_t SurveySignal(std::int8_t received, std::uint8_t key) {
    return received == 0 ? static_cast<std::int8_t>(key) : received;
}

}  // namespace

void CNetManagement::Search() {
    const std::vector<std::string> addresses = BroadcastAddresses();
    const std::uint16_t port = config_.endpoints.deviceDiscoveryPort;
    searches_.fetch_add(1, std::memory_order_relaxed);
    if (addresses.empty()) {
        Send(SocketRole::kDiscovery, kLimitedBroadcast, port, MessageType::search);
        return;
    }
    for (const std::string& address : addresses)
        Send(SocketRole::kDiscovery, address, port, MessageType::search);
}

void CNetManagement::OnSearchReply(const Incoming& in) {
    if (std::all_of(in.header.mac.begin(), in.header.mac.end(), [](std::uint8_t b) { return b == 0; }))
        return;
    const std::string ip = SenderIpText(in.from);
    const std::string mac = FormatMac(in.header.mac);
    const auto summary = ReadRecord<search_summary>(in.payload);
    const bool askDetails = online_.OnSearchReply(ip, mac, in.header.model.get(), summary, in.payload.size());
    if (askDetails) {
        const std::uint16_t port = config_.endpoints.deviceCommandPort;
        Send(SocketRole::kRequest, ip, port, MessageType::search);
        Send(SocketRole::kRequest, ip, port, MessageType::get_info);
    }
}

void CNetManagement::OnHeartbeat(const Incoming& in) {
    const std::string ip = SenderIpText(in.from);
    const std::string mac = FormatMac(in.header.mac);
    const auto summary = ReadRecord<search_summary>(in.payload);
    const std::uint32_t upTime = summary.up_time.get();
    if (!online_.OnHeartbeat(ip, mac, upTime, summary.version))
        return;
    Send(SocketRole::kHeartbeat, ip, config_.endpoints.deviceCommandPort, MessageType::heartbeat);
    store_.UpdateHeartbeat(ip, mac, upTime);
    if (const auto observer = Observer())
        observer->OnDeviceHeartbeat(mac, ip);
}

void CNetManagement::OnDeviceInfo(const Incoming& in) {
    ap_info_stu record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(reinterpret_cast<std::uint8_t*>(&record) + kGetInfoPayloadOffset, in.payload.data(),
                std::min(in.payload.size(), kGetInfoPayloadSize));

    RestoreScrambledAddress(record.ip, in.from, key_);
    const std::string ip = FormatIp(record.ip);  // the record's own address, not the sender's
    const std::string mac = FormatMac(in.header.mac);
    const std::uint16_t model = in.header.model.get();
    if (!online_.OnDeviceRecord(ip, mac, model, record.up_time.get(), record.version))
        return;

    std::memcpy(record.mac, mac.c_str(), std::min(mac.size() + 1, sizeof record.mac));
    record.ap_type.set(model);
    FromDevice(record.ap_name);
    FromDevice(record.ssid);
    FromDevice(record.bridge.bridge_ssid);
    store_.SaveDevice(record);
    if (const auto observer = Observer())
        observer->OnDeviceRecord(record);
}

void CNetManagement::OnSurvey(const Incoming& in) {
    auto packet = ReadRecord<survey_packet>(in.payload);  // the first 1414 bytes, zero beyond
    // A packet never holds more than 32 entries, nor more than its bytes carry; a larger count
    // is the sender's error, and the entries it names beyond the data would be all zero.
    constexpr std::size_t kEntriesOffset = offsetof(survey_packet, entries);
    const std::size_t carried =
        in.payload.size() > kEntriesOffset ? (in.payload.size() - kEntriesOffset) / sizeof(config_otherwl_basic) : 0;
    packet.icount = static_cast<std::uint8_t>(std::min({std::size_t{packet.icount}, kMaxSurveyEntries, carried}));
    for (std::size_t i = 0; i < packet.icount; ++i) {
        FromDevice(packet.entries[i].ssid);
        packet.entries[i].signal = SurveySignal(packet.entries[i].signal, key_);
    }

    std::lock_guard lock(surveyMutex_);
    if (!surveyDevice_.empty() && FormatMac(in.header.mac) != surveyDevice_)
        return;
    // The last packet completes the survey even when earlier ones were lost or arrive later.
    if (static_cast<int>(packet.packet_id) == static_cast<int>(packet.packet_count) - 1)
        surveyComplete_.store(true);
    store_.SaveSurveyPacket(packet);
}

void CNetManagement::BeginSurvey(std::string_view mac) {
    std::lock_guard lock(surveyMutex_);
    surveyDevice_ = mac;
    surveyComplete_.store(false);
    store_.ClearSurvey();
}

void CNetManagement::AgeOnlineList() {
    const auto observer = Observer();
    for (const std::string& mac : online_.Age()) {
        store_.DeleteDevice(mac);
        if (observer)
            observer->OnDeviceGone(mac);
    }
}

void CNetManagement::SetDeviceObserver(std::shared_ptr<DeviceObserver> observer) {
    std::lock_guard lock(observerMutex_);
    observer_ = std::move(observer);
}

std::shared_ptr<DeviceObserver> CNetManagement::Observer() const {
    std::lock_guard lock(observerMutex_);
    return observer_;
}

void CNetManagement::ClearDiscovered() { online_.ClearDiscovered(); }

void CNetManagement::GetDiscovered(std::vector<ap_info_stu>& out, std::size_t max, std::string_view filter) {
    online_.GetDiscovered(out, max, filter);
}

std::vector<ap_online_stu> CNetManagement::OnlineList() const { return online_.Snapshot(); }

}  // namespace cpe
