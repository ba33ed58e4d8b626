#include "inventory/inventory_writer.h"

#include <future>
#include <utility>

#include "inventory/inventory_file.h"
#include "inventory/ledger.h"
#include "inventory/schema.h"

namespace cpe::inventory {
namespace {

constexpr std::chrono::milliseconds kIdleWait{500};
// A short pause after the first write of a quiet spell gathers the writes of a discovery burst
// into one transaction.
constexpr std::chrono::milliseconds kGatherWait{20};
constexpr int kBusyTimeoutMs = 2000;

std::string Reason(const store::SqlError& error) {
    return error.description.empty() ? sqlite3_errstr(static_cast<int>(error.code)) : error.description;
}

// Answers the waiting callers of the writes that will not be made.
void Abandon(std::vector<InventoryWrite>& batch) {
    for (InventoryWrite& write : batch) {
        if (auto* backup = std::get_if<BackupRequest>(&write); backup && backup->taken)
            backup->taken->set_value(0);
        else if (auto* mark = std::get_if<FlushMark>(&write); mark && mark->done)
            mark->done->set_value();
    }
    batch.clear();
}

}  // namespace

InventoryWriter::InventoryWriter(std::filesystem::path file, std::string codeset, std::size_t newsCapacity,
                                 std::function<std::int64_t()> clock)
    : file_(std::move(file)),
      codeset_(std::move(codeset)),
      clock_(std::move(clock)),
      queue_(newsCapacity),
      thread_([this] { Run(); }) {}

InventoryWriter::~InventoryWriter() {
    queue_.Close();
    thread_.join();
}

bool InventoryWriter::WaitOpened(std::chrono::milliseconds timeout) {
    std::unique_lock lock(stateMutex_);
    stateChanged_.wait_for(lock, timeout, [this] { return state_.load() != InventoryState::kOpening; });
    return state_.load() == InventoryState::kReady;
}

bool InventoryWriter::Flush(std::chrono::milliseconds timeout) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> answered = done->get_future();
    queue_.PushAlways(FlushMark{std::move(done)});
    return answered.wait_for(timeout) == std::future_status::ready;
}

std::vector<InventoryNotice> InventoryWriter::TakeNotices() {
    std::lock_guard lock(stateMutex_);
    return std::exchange(notices_, {});
}

void InventoryWriter::Notify(InventoryNotice notice) {
    std::lock_guard lock(stateMutex_);
    notices_.push_back(std::move(notice));
}

void InventoryWriter::GiveUp(std::string reason) {
    Notify({InventoryNotice::Kind::kUnavailable, std::move(reason)});
    {
        std::lock_guard lock(stateMutex_);
        state_.store(InventoryState::kUnavailable);
    }
    stateChanged_.notify_all();
}

bool InventoryWriter::Open(store::SqliteConnection& db, std::unique_ptr<Ledger>& ledger) {
    if (file_.empty()) {
        GiveUp("no data folder (neither XDG_DATA_HOME nor HOME is set)");
        return false;
    }
    // A damaged or newer file is moved aside and a new one started; failing again right away,
    // the folder cannot hold the file at all.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string problem;
        if (!PreparePrivateFolder(file_.parent_path(), problem) || !PreparePrivateFile(file_, problem)) {
            GiveUp(problem);
            return false;
        }
        store::SqlError error;
        if (!db.Open(file_.string(), error)) {
            GiveUp(Reason(error));
            return false;
        }
        sqlite3_busy_timeout(db.Handle(), kBusyTimeoutMs);
        const SchemaResult result = PrepareForWriting(db, error);
        if (result == SchemaResult::kReady) {
            ledger = std::make_unique<Ledger>(db, codeset_);
            if (ledger->Load(error))
                return true;
            GiveUp(Reason(error));
            return false;
        }
        db.Close();
        if (result == SchemaResult::kFailed) {
            GiveUp(Reason(error));
            return false;
        }
        const bool damaged = result == SchemaResult::kDamaged;
        const std::filesystem::path aside = MoveAside(file_, damaged ? "damaged" : "newer", clock_());
        if (aside.empty()) {
            GiveUp("cannot move " + file_.string() + " aside");
            return false;
        }
        Notify({damaged ? InventoryNotice::Kind::kDamagedMovedAside : InventoryNotice::Kind::kNewerMovedAside,
                aside.string()});
    }
    GiveUp("the new file cannot be used either");
    return false;
}

void InventoryWriter::WriteBatch(store::SqliteConnection& db, Ledger& ledger, std::vector<InventoryWrite>& batch) {
    store::SqlError error;
    std::vector<std::pair<std::shared_ptr<std::promise<std::int64_t>>, std::int64_t>> taken;
    bool ok = db.Run("BEGIN IMMEDIATE", {}, error);
    for (InventoryWrite& write : batch) {
        if (!ok)
            break;
        std::visit(
            [&](auto& item) {
                using Item = std::decay_t<decltype(item)>;
                if constexpr (std::is_same_v<Item, BackupRequest>) {
                    std::int64_t id = 0;
                    ok = ledger.Apply(item, id, error);
                    if (ok && item.taken)
                        taken.emplace_back(std::move(item.taken), id);
                } else if constexpr (!std::is_same_v<Item, FlushMark>) {
                    ok = ledger.Apply(item, error);
                }
            },
            write);
    }
    ok = ok && db.Run("COMMIT", {}, error);
    if (!ok) {
        store::SqlError ignored;
        db.Run("ROLLBACK", {}, ignored);
        GiveUp(Reason(error));
        for (auto& entry : taken)
            entry.second = 0;
    } else {
        committed_.fetch_add(batch.size());
    }
    for (auto& [promise, id] : taken)
        promise->set_value(id);
    Abandon(batch);  // answers the flush marks and the backups not yet answered
}

void InventoryWriter::Run() {
    store::SqliteConnection db;
    std::unique_ptr<Ledger> ledger;
    const bool opened = Open(db, ledger);
    if (opened) {
        std::lock_guard lock(stateMutex_);
        state_.store(InventoryState::kReady);
    }
    stateChanged_.notify_all();

    std::vector<InventoryWrite> batch;
    batch.reserve(kBatchLimit);
    while (queue_.Take(batch, kBatchLimit, kIdleWait)) {
        if (batch.empty())
            continue;
        if (state_.load() != InventoryState::kReady) {
            Abandon(batch);
            continue;
        }
        if (batch.size() < kBatchLimit) {
            std::this_thread::sleep_for(kGatherWait);
            queue_.Take(batch, kBatchLimit, std::chrono::milliseconds(0));
        }
        WriteBatch(db, *ledger, batch);
    }
    // No device is online once the run that heard it has ended.
    if (state_.load() == InventoryState::kReady) {
        store::SqlError error;
        db.Run("UPDATE devices SET online = 0 WHERE online <> 0", {}, error);
    }
}

}  // namespace cpe::inventory
