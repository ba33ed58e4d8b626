// What one datagram costs the engine's workers when 1,000 or 10,000 devices are online: a search
// reply of a new device, the same reply again (the search repeated every 3 s), a heartbeat, and a
// device record (with its store write). Each is measured through the real dispatch path, sends
// captured, and next to baselines run in this process: the online list's matching walked from the
// start of a plain list, and the store saving the same records alone.
#include <arpa/inet.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/net_management.h"
#include "protocol/codes.h"
#include "protocol/packet.h"
#include "store/sql_management.h"

namespace cpe {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

RawMac MacOf(std::size_t i) {
    return {0x02,
            0xc9,
            0x5e,
            static_cast<std::uint8_t>(i >> 16),
            static_cast<std::uint8_t>(i >> 8),
            static_cast<std::uint8_t>(i)};
}
RawIp IpOf(std::size_t i) {
    return {10, 77, static_cast<std::uint8_t>(64 + i / 254), static_cast<std::uint8_t>(1 + i % 254)};
}
sockaddr_in From(const RawIp& ip) {
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_port = htons(9786);
    std::memcpy(&from.sin_addr.s_addr, ip.data(), ip.size());
    return from;
}

ap_info_stu Record(std::size_t i) {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    r.ip = IpOf(i);
    r.ap_name.assign("CPE-" + std::to_string(i));
    r.version.assign("V2.1.0");
    return r;
}

std::filesystem::path TempFile(const char* what) {
    return std::filesystem::temp_directory_path() /
           ("cpe-engine-bench-" + std::string(what) + "-" + std::to_string(::getpid()) + ".db");
}

struct Figures {
    double newReply = 0, repeatedReply = 0, heartbeat = 0, record = 0;  // seconds per datagram
};

Figures MeasureEngine(std::size_t devices) {
    const auto file = TempFile("engine");
    Figures f;
    {
        CSqlManagement store(file);
        EngineConfig config;
        config.adapters = std::make_shared<StaticAdapterSource>(std::vector<adapter_record>{});
        config.sendHook = [](SocketRole, std::string_view, std::uint16_t, std::uint16_t,
                             std::span<const std::uint8_t>) { return true; };
        CNetManagement engine(store, config);
        const std::uint8_t key = engine.PayloadKey();

        search_summary summary;
        std::memset(&summary, 0, sizeof summary);
        summary.version.assign("V2.1.0");
        std::vector<std::vector<std::uint8_t>> replies, beats, records;
        for (std::size_t i = 0; i < devices; ++i) {
            const auto bytes = BytesOf(summary);
            replies.push_back(BuildDevicePacket(key, 1, MacOf(i + 1), MessageType::search, bytes));
            beats.push_back(BuildDevicePacket(key, 1, MacOf(i + 1), MessageType::heartbeat, bytes));
            const ap_info_stu r = Record(i);
            records.push_back(BuildDevicePacket(key, 1, MacOf(i + 1), MessageType::get_info,
                                                BytesOf(r).subspan(kGetInfoPayloadOffset)));
        }
        const auto run = [&](PortRole port, const std::vector<std::vector<std::uint8_t>>& datagrams) {
            const auto start = Clock::now();
            for (std::size_t i = 0; i < devices; ++i)
                engine.ProcessDatagram(port, From(IpOf(i)), datagrams[i]);
            return Since(start) / static_cast<double>(devices);
        };
        f.newReply = run(PortRole::kSearchReply, replies);
        f.repeatedReply = run(PortRole::kSearchReply, replies);
        f.record = run(PortRole::kRequest, records);
        f.heartbeat = run(PortRole::kHeartbeat, beats);
        if (engine.OnlineList().size() != devices)
            std::fprintf(stderr, "bench: %zu devices online, expected %zu\n", engine.OnlineList().size(), devices);
    }
    std::filesystem::remove(file);
    return f;
}

// The search-reply rule over a plain list walked from the start, as the list once worked.
double MeasureWalkedList(std::size_t devices) {
    struct Entry {
        std::string ip, mac;
        std::uint8_t state;
    };
    std::vector<Entry> list;
    std::vector<std::string> ips, macs;
    for (std::size_t i = 0; i < devices; ++i) {
        ips.push_back(FormatIp(IpOf(i)));
        macs.push_back(FormatMac(MacOf(i + 1)));
    }
    std::size_t asked = 0;
    const auto start = Clock::now();
    for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < devices; ++i) {
            const auto holds = [&](const Entry& e) { return e.ip == ips[i] && e.mac == macs[i]; };
            bool found = false;
            for (const Entry& e : list)
                if (holds(e)) {
                    found = true;
                    break;
                }
            if (!found)
                list.push_back({ips[i], macs[i], 1});
            bool identified = false;
            for (const Entry& e : list)
                identified = identified || (holds(e) && e.state == 2);
            asked += identified ? 0 : 1;
        }
    const double perReply = Since(start) / static_cast<double>(2 * devices);
    if (asked != 2 * devices)
        std::fprintf(stderr, "bench: walked list asked %zu times\n", asked);
    return perReply;
}

double MeasureStoreAlone(std::size_t devices) {
    const auto file = TempFile("store");
    double perRecord = 0;
    {
        CSqlManagement store(file);
        const auto start = Clock::now();
        for (std::size_t i = 0; i < devices; ++i) {
            ap_info_stu r = Record(i);
            const std::string mac = FormatMac(MacOf(i + 1));
            std::memcpy(r.mac, mac.c_str(), mac.size() + 1);
            store.SaveDevice(r);
        }
        perRecord = Since(start) / static_cast<double>(devices);
    }
    std::filesystem::remove(file);
    return perRecord;
}

}  // namespace
}  // namespace cpe

int main() {
    using namespace cpe;
    std::printf("\nEngine dispatch, microseconds per datagram (sends captured, no network)\n\n");
    std::printf("| devices | new search reply | repeated reply | walked-list baseline (reply) | heartbeat | "
                "device record | store alone (record) | record / store |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::vector<double> replyCost;  // a new and a repeated reply, per device count
    for (std::size_t devices : {1000u, 10000u}) {
        const Figures f = MeasureEngine(devices);
        const double walked = MeasureWalkedList(devices);
        const double store = MeasureStoreAlone(devices);
        std::printf("| %zu | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.2f |\n", devices, f.newReply * 1e6,
                    f.repeatedReply * 1e6, walked * 1e6, f.heartbeat * 1e6, f.record * 1e6, store * 1e6,
                    f.record / store);
        replyCost.push_back(f.newReply + f.repeatedReply);
    }
    std::printf("\nA search reply with 10,000 devices online costs %.2f times one with 1,000 (1.0: independent of "
                "the list's length)\n",
                replyCost[1] / replyCost[0]);
    return 0;
}
