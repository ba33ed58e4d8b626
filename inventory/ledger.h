// The writer's side of the open inventory file: it turns queued writes into rows and events,
// inside the transaction its caller holds, and keeps what it knows of every device in memory so
// that a record costs one row write and no read. Used by the writer thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "inventory/known_device.h"
#include "inventory/write_queue.h"
#include "store/sqlite_connection.h"

namespace cpe::inventory {

class Ledger {
public:
    Ledger(store::SqliteConnection& db, std::string codeset) : db_(db), codeset_(std::move(codeset)) {}

    // Marks every device offline (no device is online before this run hears it) and loads them.
    bool Load(store::SqlError& error);

    bool Apply(const RecordNews& news, store::SqlError& error);
    bool Apply(const HeartbeatNews& news, store::SqlError& error);
    bool Apply(const GoneNews& news, store::SqlError& error);
    bool Apply(const ActionEntry& entry, store::SqlError& error);
    // Sets `id` to the new backup's number, or 0 when no record of the device is known.
    bool Apply(const BackupRequest& request, std::int64_t& id, store::SqlError& error);

    // A device's last_seen is written at most this often while only heartbeats arrive; the
    // memory keeps the exact time, written when the device goes.
    static constexpr std::int64_t kLastSeenStep = 60;

private:
    struct Known {
        KnownDevice device;
        std::int64_t lastSeenWritten = 0;
    };

    bool AddEvent(std::string_view mac, std::int64_t time, std::string_view kind, std::string_view detail,
                  store::SqlError& error);

    store::SqliteConnection& db_;
    const std::string codeset_;
    std::unordered_map<std::string, Known> known_;
};

}  // namespace cpe::inventory
