#include "cli/exporter/fleet_cache.h"

#include <cstring>
#include <optional>
#include <unordered_set>
#include <vector>

#include "engine/net_management.h"
#include "inventory/inventory.h"
#include "platform/codepage.h"
#include "protocol/codes.h"
#include "store/sql_management.h"

namespace cpe::cli {
namespace {

// Label values must be UTF-8: a byte the local code set cannot decode becomes U+FFFD.
std::string Utf8(std::string_view local) { return platform::AnsiToUtf8Lossy(local); }

// The record's texts and codes; what the online list knows better is filled in by Render.
void FromRecord(const ap_info_stu& r, DeviceSample& d) {
    d.mac.assign(r.mac, strnlen(r.mac, sizeof r.mac));
    d.ip = FormatIp(r.ip);
    d.name = Utf8(r.ap_name.text());
    d.model = ModelName(r.ap_type.get());
    d.firmware = Utf8(r.version.text());
    const std::string_view mode = WorkModeKey(r.work_mode);
    d.mode = mode.empty() ? std::to_string(r.work_mode) : std::string(mode);
    d.ssid = Utf8(r.ssid.text());
    d.upTime = r.up_time.get();
    d.channel = r.channel;
}

void FromKnown(const inventory::KnownDevice& known, DeviceSample& d) {
    d.ip = known.lastIp;
    d.name = known.name;
    d.model = ModelName(known.model);
    d.firmware = known.firmware;
    const std::string_view mode = WorkModeKey(known.workMode);
    d.mode = mode.empty() ? std::to_string(known.workMode) : std::string(mode);
}

ExporterSample ExporterCounters(CNetManagement& engine) {
    const EngineCounters counters = engine.Counters();
    ExporterSample e;
    e.searches = counters.searches;
    e.version = CPE_VERSION_TEXT;
    const SocketRole roles[] = {SocketRole::kSearchReply, SocketRole::kHeartbeat, SocketRole::kRequest};
    // A port that is not bound (the engine did not start) has nothing to count.
    for (std::size_t i = 0; i < std::size(roles); ++i)
        if (engine.LocalPort(roles[i]) != 0)
            e.ports.push_back(
                {engine.LocalPort(roles[i]), counters.received[i], counters.rejected[i], counters.dropped[i]});
    return e;
}

}  // namespace

void FleetCache::Refresh(CSqlManagement& store, CNetManagement& engine, inventory::Inventory* inventory) {
    std::vector<ap_info_stu> records;
    int pages = 0, online = 0;
    store.GetDevicePage(CSqlManagement::kSortMac, true, kPageSize, nextPage_, {}, pages, online, records);

    std::optional<std::map<std::string, inventory::KnownDevice, std::less<>>> known;
    if (inventory != nullptr && refreshes_++ % kKnownEveryRefreshes == 0) {
        known.emplace();
        for (inventory::KnownDevice& device : inventory->KnownDevices())
            known->emplace(device.mac, std::move(device));
    }
    std::vector<DeviceSample> read(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        FromRecord(records[i], read[i]);
    if (inventory != nullptr) {
        // Devices known from earlier runs, a page of them at a time: their last record, else
        // what the inventory's row says.
        std::vector<const inventory::KnownDevice*> unread;
        {
            std::lock_guard lock(mutex_);
            for (const auto& [mac, device] : known ? *known : known_)
                if (!devices_.contains(mac) && unread.size() < static_cast<std::size_t>(kPageSize))
                    unread.push_back(&device);
        }
        for (const inventory::KnownDevice* device : unread) {
            DeviceSample& d = read.emplace_back();
            if (const auto record = inventory->LastRecord(device->mac))
                FromRecord(*record, d);
            else
                FromKnown(*device, d);
            d.mac = device->mac;
        }
    }
    const bool roundDone = nextPage_ >= pages;
    nextPage_ = roundDone ? 1 : nextPage_ + 1;
    std::unordered_set<std::string> identified;
    if (roundDone) {
        for (const ap_online_stu& entry : engine.OnlineList())
            if (entry.state == COnlineList::kStateIdentified)
                identified.emplace(entry.MacText());
    }

    std::lock_guard lock(mutex_);
    if (known)
        known_ = std::move(*known);
    for (DeviceSample& d : read)
        devices_.insert_or_assign(d.mac, std::move(d));
    if (roundDone)
        std::erase_if(devices_, [&](const auto& device) {
            return !identified.contains(device.first) && !known_.contains(device.first);
        });
}

std::string FleetCache::Render(CNetManagement& engine, ExpositionFormat format) {
    const std::vector<ap_online_stu> online = engine.OnlineList();
    const ExporterSample exporter = ExporterCounters(engine);
    std::lock_guard lock(mutex_);
    for (auto& [mac, d] : devices_) {
        d.online = false;
        const auto known = known_.find(mac);
        d.lastSeen = known == known_.end() ? 0 : static_cast<double>(known->second.lastSeen);
    }
    for (const ap_online_stu& entry : online) {
        if (entry.state != COnlineList::kStateIdentified)
            continue;
        const auto known = devices_.find(entry.MacText());
        if (known == devices_.end())
            continue;  // its record is read on the next page round
        DeviceSample& d = known->second;
        d.online = true;
        d.ip.assign(entry.IpText());
        d.upTime = entry.up_time;
        d.lastSeen = static_cast<double>(entry.last_seen_ms) / 1000.0;
    }
    std::vector<const DeviceSample*> shown;
    shown.reserve(devices_.size());
    for (const auto& [mac, d] : devices_)
        if (d.online || known_.contains(mac))
            shown.push_back(&d);
    return RenderFleetMetrics(shown, exporter, format);
}

}  // namespace cpe::cli
