// What the inventory commands print: known devices, a device's history and backups, as tables
// for the record writers. Times are UTC in ISO 8601 ("2026-12-09T08:30:00Z").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/record_table.h"
#include "inventory/inventory_reader.h"

namespace cpe::cli {

std::string IsoTime(std::int64_t secondsSinceEpoch);

// MAC, IP, Location, Type, Version, State (Online/Offline), LastSeen, FirstSeen.
RecordTable KnownDeviceTable(const std::vector<inventory::KnownDevice>& devices);
// Time, Event, Detail (a JSON object), newest first as given.
RecordTable HistoryTable(const std::vector<inventory::HistoryEvent>& events);
// Backup (its number), MAC, Time, Reason.
RecordTable BackupTable(const std::vector<inventory::SettingsBackup>& backups);

}  // namespace cpe::cli
