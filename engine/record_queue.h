// The queue between a receiver thread and its worker. A receiver only appends under the lock;
// the worker swaps the whole queue out and dispatches without it.
//
// Datagrams are packed back to back at their received size: a search reply takes a tenth of the
// room of the largest datagram, so a discovery burst of thousands of devices fits in a few MiB.
// The storage travels between the queue and its worker, so a steady stream allocates nothing.
// The queue is bounded in datagrams and in bytes so that a flood of well-formed datagrams cannot
// grow memory without limit: what does not fit is dropped and counted. The byte bound covers the
// batch the worker is still handling too, so a worker that falls behind holds the port to its
// bound rather than to twice that.
#pragma once

#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <span>
#include <vector>

namespace cpe {

// Datagrams with their senders, in arrival order.
class DatagramBatch {
public:
    // Bytes one datagram of `size` bytes takes in a batch.
    static constexpr std::size_t Footprint(std::size_t size) { return kEntryHeader + size; }

    std::size_t Count() const { return count_; }
    std::size_t Bytes() const { return bytes_.size(); }
    std::size_t Capacity() const { return bytes_.capacity(); }
    void Reserve(std::size_t bytes) { bytes_.reserve(bytes); }

    // The datagram must be at most 65535 bytes long.
    void Append(const sockaddr_in& from, std::span<const std::uint8_t> datagram) {
        const auto size = static_cast<std::uint16_t>(datagram.size());
        const std::size_t at = bytes_.size();
        bytes_.resize(at + Footprint(size));
        std::memcpy(&bytes_[at], &from, sizeof from);
        std::memcpy(&bytes_[at + sizeof from], &size, sizeof size);
        if (size > 0)
            std::memcpy(&bytes_[at + kEntryHeader], datagram.data(), size);
        ++count_;
    }

    // Calls visit(from, datagram) for each datagram in order until it returns false.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (std::size_t at = 0; at < bytes_.size();) {
            sockaddr_in from;
            std::uint16_t size;
            std::memcpy(&from, &bytes_[at], sizeof from);
            std::memcpy(&size, &bytes_[at + sizeof from], sizeof size);
            if (!visit(from, std::span<const std::uint8_t>(bytes_.data() + at + kEntryHeader, size)))
                return;
            at += Footprint(size);
        }
    }

    // Empties the batch and keeps its storage, unless a burst made that storage larger than
    // `keep` bytes: then it is given back.
    void Clear(std::size_t keep) {
        if (bytes_.capacity() > keep)
            std::vector<std::uint8_t>().swap(bytes_);
        bytes_.clear();
        count_ = 0;
    }

    void Swap(DatagramBatch& other) noexcept {
        bytes_.swap(other.bytes_);
        std::swap(count_, other.count_);
    }

private:
    static constexpr std::size_t kEntryHeader = sizeof(sockaddr_in) + sizeof(std::uint16_t);

    std::vector<std::uint8_t> bytes_;
    std::size_t count_ = 0;
};

class DatagramQueue {
public:
    DatagramQueue(std::size_t maxDatagrams, std::size_t maxBytes) : maxDatagrams_(maxDatagrams), maxBytes_(maxBytes) {}

    // False (and counted) when the queue is full.
    bool Push(const sockaddr_in& from, std::span<const std::uint8_t> datagram) {
        const std::size_t footprint = DatagramBatch::Footprint(datagram.size());
        {
            std::lock_guard lock(mutex_);
            const std::size_t bytes = queued_.Bytes() + footprint;
            if (queued_.Count() >= maxDatagrams_ || inFlight_ + bytes > maxBytes_) {
                dropped_.fetch_add(1, std::memory_order_relaxed);
                return false;
            }
            // Grow by doubling, but never past the bound.
            if (bytes > queued_.Capacity())
                queued_.Reserve(
                    std::min(maxBytes_ - inFlight_, std::max({bytes, 2 * queued_.Capacity(), kInitialBytes})));
            queued_.Append(from, datagram);
        }
        ready_.notify_one();
        return true;
    }

    // Waits until datagrams are queued or Stop is called and hands everything queued over in
    // `batch`; what the batch held before is discarded and its storage goes back to the queue.
    // False once stopped.
    bool WaitAndTakeAll(DatagramBatch& batch) {
        batch.Clear(kKeptBytes);
        std::unique_lock lock(mutex_);
        inFlight_ = 0;
        ready_.wait(lock, [&] { return stopped_ || queued_.Count() > 0; });
        if (stopped_)
            return false;
        queued_.Swap(batch);
        inFlight_ = batch.Bytes();
        return true;
    }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        ready_.notify_all();
    }

    // Makes a stopped queue usable again and discards what it held.
    void Restart() {
        std::lock_guard lock(mutex_);
        stopped_ = false;
        inFlight_ = 0;
        queued_.Clear(kKeptBytes);
    }

    std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
    static constexpr std::size_t kInitialBytes = 64 * 1024;
    // Storage kept between batches; what a burst needed beyond this is freed once it is handled.
    static constexpr std::size_t kKeptBytes = 1024 * 1024;

    const std::size_t maxDatagrams_;
    const std::size_t maxBytes_;
    std::mutex mutex_;
    std::condition_variable ready_;
    DatagramBatch queued_;
    std::size_t inFlight_ = 0;  // bytes of the batch the worker took last and still handles
    bool stopped_ = false;
    std::atomic<std::uint64_t> dropped_{0};
};

}  // namespace cpe
