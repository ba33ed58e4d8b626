#include "cli/inventory_tables.h"

#include <ctime>

#include "protocol/codes.h"

namespace cpe::cli {
namespace {

Cell Text(std::string text) { return {std::move(text), false}; }
Cell Number(std::int64_t value) { return {std::to_string(value), true}; }

}  // namespace

std::string IsoTime(std::int64_t secondsSinceEpoch) {
    const auto time = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm utc{};
    ::gmtime_r(&time, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

RecordTable KnownDeviceTable(const std::vector<inventory::KnownDevice>& devices) {
    RecordTable table;
    table.columns = {"MAC", "IP", "Location", "Type", "Version", "State", "LastSeen", "FirstSeen"};
    for (const inventory::KnownDevice& d : devices)
        table.rows.push_back({Text(d.mac), Text(d.lastIp), Text(d.name), Text(ModelName(d.model)), Text(d.firmware),
                              Text(d.online ? "Online" : "Offline"), Text(IsoTime(d.lastSeen)),
                              Text(IsoTime(d.firstSeen))});
    return table;
}

RecordTable HistoryTable(const std::vector<inventory::HistoryEvent>& events) {
    RecordTable table;
    table.columns = {"Time", "Event", "Detail"};
    for (const inventory::HistoryEvent& e : events)
        table.rows.push_back({Text(IsoTime(e.time)), Text(e.kind), Text(e.detail)});
    return table;
}

RecordTable BackupTable(const std::vector<inventory::SettingsBackup>& backups) {
    RecordTable table;
    table.columns = {"Backup", "MAC", "Time", "Reason"};
    for (const inventory::SettingsBackup& b : backups)
        table.rows.push_back({Number(b.id), Text(b.mac), Text(IsoTime(b.time)), Text(b.reason)});
    return table;
}

}  // namespace cpe::cli
