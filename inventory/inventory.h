// The fleet inventory: what the program has learnt of every device it ever saw, kept across runs
// in one private SQLite file per user, with the history of what happened to each device and what
// was done to it, and backups of its settings.
//
// Only the process that holds the program's single-instance lock writes it (OpenWriter): the
// engine tells it of records, heartbeats and departures (it is the engine's DeviceObserver), the
// front ends tell it of the operator's actions, and one writer thread puts all of it into the
// file through a bounded queue, in batched transactions. Every other use only reads
// (OpenReader). Reads run on the caller's thread on a connection of their own.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/device_observer.h"
#include "inventory/event_detail.h"
#include "inventory/inventory_reader.h"
#include "inventory/inventory_writer.h"

namespace cpe::inventory {

struct InventoryOptions {
    std::filesystem::path file = DefaultFile();
    std::string frontEnd;  // who acts: "window" or "cli"
    std::string user;      // the login name; the current user's when empty
    std::string codeset;   // code set of the records' texts; the process's ANSI code set when empty
    std::size_t newsCapacity = 16384;
    std::function<std::int64_t()> clock;  // seconds since the epoch; the system clock when empty

    static std::filesystem::path DefaultFile();
};

class Inventory final : public DeviceObserver {
public:
    // The writing inventory of the lock holder; the file is opened on the writer thread.
    static std::shared_ptr<Inventory> OpenWriter(InventoryOptions options);
    // A reading one: never writes, never creates the file.
    static std::shared_ptr<Inventory> OpenReader(InventoryOptions options);
    ~Inventory() override;

    // --- the engine's reports (DeviceObserver) -------------------------------------------
    void OnDeviceRecord(const ap_info_stu& record) override;
    void OnDeviceHeartbeat(std::string_view mac, std::string_view ip) override;
    void OnDeviceGone(std::string_view mac) override;

    // --- the operator's actions ----------------------------------------------------------
    // One event of `kind` (event_kind) for the device: the detail given, then the outcome, the
    // front end and the user.
    void RecordAction(std::string_view mac, std::string_view kind, std::string_view outcome, EventDetail detail = {});
    // A backup of the device's last whole record, queued (never on the caller's thread).
    void TakeBackup(std::string_view mac, std::string_view reason);
    // The same, waiting until it is written: the backup's number, or 0 (no record of the device,
    // the inventory cannot be written, or the time ran out).
    std::int64_t TakeBackupNow(std::string_view mac, std::string_view reason, std::chrono::milliseconds timeout);
    // Waits until everything queued so far is written.
    bool Flush(std::chrono::milliseconds timeout);

    // --- state ---------------------------------------------------------------------------
    bool Writes() const { return writer_ != nullptr; }
    // A writer: the file is open and writable. A reader: the file could be opened.
    bool Usable() const;
    // A writer waits for its file to open.
    bool WaitOpened(std::chrono::milliseconds timeout);
    // What the operator must be told, each notice once.
    std::vector<InventoryNotice> TakeNotices();
    // News dropped because the writer fell behind.
    std::uint64_t DroppedNews() const;

    // --- reads ---------------------------------------------------------------------------
    // Every known device with its last seen time and whether it is online now (for a reader,
    // as the writing process last wrote it).
    std::vector<KnownDevice> KnownDevices();
    std::optional<KnownDevice> Device(std::string_view mac);
    KnownDevicePage DevicePage(const KnownDeviceQuery& query);
    std::optional<ap_info_stu> LastRecord(std::string_view mac);
    std::vector<HistoryEvent> History(std::string_view mac, int limit = 1000);
    std::vector<SettingsBackup> Backups(std::string_view mac);
    std::optional<SettingsBackup> Backup(std::int64_t id);

    const InventoryOptions& Options() const { return options_; }

private:
    explicit Inventory(InventoryOptions options);
    std::int64_t Now() const;
    bool Accepting() const;
    InventoryReader* Reader();

    InventoryOptions options_;
    std::unique_ptr<InventoryWriter> writer_;
    std::mutex readerMutex_;
    bool readerTried_ = false;
    InventoryReader reader_;
    InventoryReader::OpenResult readerState_ = InventoryReader::OpenResult::kMissing;
};

}  // namespace cpe::inventory
