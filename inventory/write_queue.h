// The bounded queue between the program's threads and the inventory's writer. What the engine
// reports (records, heartbeats, departures) is news: when the writer falls behind a flood, news
// beyond the bound is dropped and counted, and discovery never waits for the disk. What the
// operator does (actions and backups) is never dropped: it is rare and must not be lost.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "protocol/records.h"

namespace cpe::inventory {

using MacChars = std::array<char, 18>;  // MAC text, NUL-terminated
using IpChars = std::array<char, 16>;   // dotted quad, NUL-terminated

struct RecordNews {
    ap_info_stu record;
    std::int64_t time;
};
struct HeartbeatNews {
    MacChars mac;
    IpChars ip;
    std::int64_t time;
};
struct GoneNews {
    MacChars mac;
    std::int64_t time;
};
struct ActionEntry {
    std::string mac;
    std::string kind;
    std::string detail;  // JSON object
    std::int64_t time;
};
// A backup of the device's last whole record; `taken` learns the backup's number once it is
// committed (0 when the inventory knows no record of the device or could not write it).
struct BackupRequest {
    std::string mac;
    std::string reason;
    std::int64_t time;
    std::shared_ptr<std::promise<std::int64_t>> taken;
};
// A marker the writer answers once everything queued before it is committed (or given up).
struct FlushMark {
    std::shared_ptr<std::promise<void>> done;
};

using InventoryWrite = std::variant<RecordNews, HeartbeatNews, GoneNews, ActionEntry, BackupRequest, FlushMark>;

class WriteQueue {
public:
    explicit WriteQueue(std::size_t newsCapacity) : capacity_(newsCapacity) {}

    // False, counted, when the queue already holds `newsCapacity` items.
    bool PushNews(InventoryWrite item) {
        {
            std::lock_guard lock(mutex_);
            if (closed_ || items_.size() >= capacity_) {
                ++dropped_;
                return false;
            }
            items_.push_back(std::move(item));
        }
        wake_.notify_one();
        return true;
    }
    void PushAlways(InventoryWrite item) {
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(item));
        }
        wake_.notify_one();
    }
    // Waits up to `wait` for items and moves at most `max` of them to `out`. False once the
    // queue is closed and empty.
    bool Take(std::vector<InventoryWrite>& out, std::size_t max, std::chrono::milliseconds wait) {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, wait, [this] { return closed_ || !items_.empty(); });
        while (!items_.empty() && out.size() < max) {
            out.push_back(std::move(items_.front()));
            items_.pop_front();
        }
        return !(closed_ && items_.empty() && out.empty());
    }
    // News is refused from now on; what is queued is still taken.
    void Close() {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        wake_.notify_all();
    }
    std::uint64_t Dropped() const {
        std::lock_guard lock(mutex_);
        return dropped_;
    }

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<InventoryWrite> items_;
    bool closed_ = false;
    std::uint64_t dropped_ = 0;
};

}  // namespace cpe::inventory
