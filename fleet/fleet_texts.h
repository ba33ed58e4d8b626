// The texts the fleet windows show for what the inventory holds: how long a device has been
// offline, the kinds of its events and what they carry, a backup's reason, times in local time,
// and why settings were not sent.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

#include "actions/settings/settings_restore.h"
#include "inventory/known_device.h"
#include "inventory/settings_backup.h"

namespace cpe {

// "Online", or how long ago the device was last heard: seconds under a minute, minutes under an
// hour, hours under two days, then days.
QString LastSeenText(const inventory::KnownDevice& device, std::int64_t now);
// Seconds since the epoch as local "yyyy-MM-dd HH:mm:ss".
QString LocalTimeText(std::int64_t secondsSinceEpoch);
// An event kind as the operator reads it; an unknown kind as it is stored.
QString EventKindText(std::string_view kind);
// An event's detail object as "key: value" pairs; what is no JSON object as it is stored.
QString EventDetailText(std::string_view json);
// A backup as the backup lists name it: its time, reason and number.
QString BackupText(const inventory::SettingsBackup& backup);
// Why a restore or apply sends nothing to a device, translated.
QString RefusalText(const actions::RestorePlan& plan);

}  // namespace cpe
