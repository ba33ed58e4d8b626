// The inventory's writer: one thread that opens the file (making it private, moving a damaged or
// newer one aside, migrating an older one), then takes the queue's writes in batches, one
// transaction each. A file that cannot be written (full disk, read-only home) ends the writing
// for this run: the program goes on without it and the operator is told once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "inventory/write_queue.h"
#include "store/sqlite_connection.h"

namespace cpe::inventory {

class Ledger;

enum class InventoryState : std::uint8_t { kOpening, kReady, kUnavailable };

// What the operator is told about the inventory, once each.
struct InventoryNotice {
    enum class Kind : std::uint8_t {
        kDamagedMovedAside,  // `detail`: where the damaged file now is
        kNewerMovedAside,    // `detail`: where the newer program's file now is
        kUnavailable,        // `detail`: why it cannot be written
    };
    Kind kind;
    std::string detail;
};

class InventoryWriter {
public:
    // Writes go at most this many to a transaction; the queue holds `newsCapacity` news.
    static constexpr std::size_t kBatchLimit = 4096;

    InventoryWriter(std::filesystem::path file, std::string codeset, std::size_t newsCapacity,
                    std::function<std::int64_t()> clock);
    // Writes what is queued, then stops.
    ~InventoryWriter();
    InventoryWriter(const InventoryWriter&) = delete;
    InventoryWriter& operator=(const InventoryWriter&) = delete;

    WriteQueue& Queue() { return queue_; }
    InventoryState State() const { return state_.load(); }
    // Waits until the file is open or given up; true when it is open.
    bool WaitOpened(std::chrono::milliseconds timeout);
    // Waits until everything queued before the call is committed or given up.
    bool Flush(std::chrono::milliseconds timeout);
    std::vector<InventoryNotice> TakeNotices();
    std::uint64_t Committed() const { return committed_.load(); }

private:
    void Run();
    bool Open(store::SqliteConnection& db, std::unique_ptr<Ledger>& ledger);
    void WriteBatch(store::SqliteConnection& db, Ledger& ledger, std::vector<InventoryWrite>& batch);
    void GiveUp(std::string reason);
    void Notify(InventoryNotice notice);

    const std::filesystem::path file_;
    const std::string codeset_;
    const std::function<std::int64_t()> clock_;
    WriteQueue queue_;
    std::atomic<InventoryState> state_{InventoryState::kOpening};
    std::atomic<std::uint64_t> committed_{0};
    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    std::vector<InventoryNotice> notices_;
    std::thread thread_;  // last: starts once everything above is built
};

}  // namespace cpe::inventory
