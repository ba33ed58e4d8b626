// An engine over a private database with every send captured instead of sent, and helpers that
// build the datagrams devices send. Nothing here touches a socket.
#pragma once

#include <arpa/inet.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/net_management.h"
#include "protocol/codes.h"
#include "protocol/packet.h"
#include "store/sql_management.h"
#include "tests/support/sent_datagrams.h"
#include "tests/support/temp_dir.h"

namespace cpe::test {

inline sockaddr_in Sender(const std::string& ip, std::uint16_t port = 9787) {
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_port = htons(port);
    inet_pton(AF_INET, ip.c_str(), &from.sin_addr);
    return from;
}

inline RawMac Mac(std::uint8_t last) { return {0x00, 0x1a, 0xff, 0x00, 0x0b, last}; }
inline std::string MacText(std::uint8_t last) { return FormatMac(Mac(last)); }

inline search_summary Summary(std::string_view version, std::uint32_t upTime = 0, std::string_view name = "",
                              std::string_view ssid = "") {
    search_summary s;
    std::memset(&s, 0, sizeof s);
    s.version.assign(version);
    s.up_time.set(upTime);
    s.ap_name.assign(name);
    s.ssid.assign(ssid);
    return s;
}

// A device record as a get_info reply carries it (bytes 24..767 are the payload).
inline ap_info_stu DeviceRecord(const std::string& ip, std::string_view name = "cpe") {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    r.ip = ParseIp(ip);
    r.ip_mask = ParseIp("255.255.255.0");
    r.up_time.set(1234);
    r.ap_name.assign(name);
    r.version.assign("V1.2.3");
    r.ssid.assign("net");
    r.work_mode = 1;
    r.channel = 6;
    return r;
}

inline std::span<const std::uint8_t> GetInfoPayload(const ap_info_stu& r) {
    return BytesOf(r).subspan(kGetInfoPayloadOffset);
}

class EngineHarness {
public:
    explicit EngineHarness(EngineConfig config = {}) {
        if (!config.adapters)
            config.adapters = std::make_shared<StaticAdapterSource>(std::vector<adapter_record>{});
        config.sendHook = sent_.Hook();
        store_ = std::make_unique<CSqlManagement>(dir_ / "data.db");
        engine_ = std::make_unique<CNetManagement>(*store_, std::move(config));
    }

    CNetManagement& engine() { return *engine_; }
    CSqlManagement& store() { return *store_; }

    std::vector<SentDatagram> TakeSent() { return sent_.Take(); }

    // A datagram from a device at ip, through the given port's filter and dispatcher.
    bool Deliver(PortRole port, const std::string& ip, const RawMac& mac, MessageType type,
                 std::span<const std::uint8_t> payload, std::uint16_t model = 1) {
        const auto packet = BuildDevicePacket(engine_->PayloadKey(), model, mac, type, payload);
        return engine_->ProcessDatagram(port, Sender(ip), packet);
    }

    void SearchReply(const std::string& ip, const RawMac& mac, const search_summary& s, std::size_t length = 107,
                     std::uint16_t model = 1) {
        Deliver(PortRole::kSearchReply, ip, mac, MessageType::search, BytesOf(s).first(length), model);
    }
    void Heartbeat(const std::string& ip, const RawMac& mac, std::uint32_t upTime, std::string_view version = "V1") {
        const auto s = Summary(version, upTime);
        Deliver(PortRole::kHeartbeat, ip, mac, MessageType::heartbeat, BytesOf(s));
    }
    void GetInfoReply(const std::string& senderIp, const RawMac& mac, const ap_info_stu& r, std::uint16_t model = 1) {
        Deliver(PortRole::kRequest, senderIp, mac, MessageType::get_info, GetInfoPayload(r), model);
    }
    void Reply(const std::string& ip, const RawMac& mac, MessageType type, std::vector<std::uint8_t> payload) {
        Deliver(PortRole::kRequest, ip, mac, type, payload);
    }
    // Search reply then device record: the device is identified and has a row.
    void Identify(const std::string& ip, const RawMac& mac, ap_info_stu r) {
        SearchReply(ip, mac, Summary("V1"));
        r.ip = ParseIp(ip);
        GetInfoReply(ip, mac, r);
        TakeSent();
    }

    // The device row of mac; false when there is none.
    bool Row(std::string_view mac, ap_info_stu& row) { return store_->GetDevice(mac, row) && row.mac[0] != '\0'; }

    const ap_online_stu* Find(const std::vector<ap_online_stu>& list, std::string_view mac) {
        for (const auto& e : list)
            if (e.MacText() == mac)
                return &e;
        return nullptr;
    }

private:
    TempDir dir_;
    SentLog sent_;
    std::unique_ptr<CSqlManagement> store_;
    std::unique_ptr<CNetManagement> engine_;
};

}  // namespace cpe::test
