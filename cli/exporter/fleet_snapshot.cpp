#include "cli/exporter/fleet_snapshot.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "engine/net_management.h"
#include "platform/codepage.h"
#include "protocol/codes.h"
#include "store/sql_management.h"

namespace cpe::cli {
namespace {

// Label values must be UTF-8: a byte the local code set cannot decode becomes U+FFFD.
std::string Utf8(std::string_view local) { return platform::AnsiToUtf8Lossy(local); }

DeviceSample FromRecord(const ap_info_stu& r) {
    DeviceSample d;
    d.mac = std::string(r.mac, strnlen(r.mac, sizeof r.mac));
    d.ip = FormatIp(r.ip);
    d.name = Utf8(r.ap_name.text());
    d.model = ModelName(r.ap_type.get());
    d.firmware = Utf8(r.version.text());
    const std::string_view mode = WorkModeKey(r.work_mode);
    d.mode = mode.empty() ? std::to_string(r.work_mode) : std::string(mode);
    d.ssid = Utf8(r.ssid.text());
    d.online = true;
    d.upTime = r.up_time.get();
    d.channel = r.channel;
    return d;
}

ExporterSample ExporterCounters(CNetManagement& engine) {
    const EngineCounters counters = engine.Counters();
    ExporterSample e;
    e.searches = counters.searches;
    e.version = CPE_VERSION_TEXT;
    const SocketRole roles[] = {SocketRole::searchReply, SocketRole::heartbeat, SocketRole::request};
    // A port that is not bound (the engine did not start) has nothing to count.
    for (std::size_t i = 0; i < std::size(roles); ++i)
        if (engine.LocalPort(roles[i]) != 0)
            e.ports.push_back(
            {engine.LocalPort(roles[i]), counters.received[i], counters.rejected[i], counters.dropped[i]});
    return e;
}

}  // namespace

FleetSnapshot TakeFleetSnapshot(CNetManagement& engine, CSqlManagement& store) {
    FleetSnapshot snapshot;
    std::unordered_map<std::string, std::int64_t> lastSeen;
    for (const ap_online_stu& entry : engine.OnlineList())
        if (entry.state == COnlineList::kStateIdentified)
            lastSeen[std::string(entry.MacText())] = entry.last_seen_ms;

    // A device has a row from its record until it ages out: the rows are the devices online.
    std::vector<ap_info_stu> records;
    int pages = 0, online = 0;
    store.GetDevicePage(CSqlManagement::kSortMac, true, INT_MAX, 1, {}, pages, online, records);
    snapshot.devices.reserve(records.size());
    for (const ap_info_stu& record : records) {
        DeviceSample& d = snapshot.devices.emplace_back(FromRecord(record));
        if (const auto seen = lastSeen.find(d.mac); seen != lastSeen.end())
            d.lastSeen = static_cast<double>(seen->second) / 1000.0;
    }
    snapshot.exporter = ExporterCounters(engine);
    return snapshot;
}

}  // namespace cpe::cli
