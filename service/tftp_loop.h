// One event loop of the TFTP server: an epoll set over the transfers it owns, their deadlines,
// and the server's stop descriptor. The server runs a few of these, one per core, so that ten
// devices fetching at once are not held to one core; transfers are handed in from the thread
// that reads requests and stay with their loop until they end.
#pragma once

#include <sys/epoll.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/unique_fd.h"
#include "service/tftp_transfer.h"

namespace cpe::service {

// The clients with a transfer under way, across all loops: a client's repeated request must not
// start a second transfer, and their number is bounded.
class ActivePeers {
public:
    bool TryAdd(std::uint64_t peer, std::size_t limit);
    bool Contains(std::uint64_t peer);
    void Remove(std::uint64_t peer);

private:
    std::mutex mutex_;
    std::unordered_set<std::uint64_t> peers_;
};

class TftpLoop {
public:
    TftpLoop(int stopFd, const TransferLog& log, ActivePeers& peers);
    TftpLoop(const TftpLoop&) = delete;
    TftpLoop& operator=(const TftpLoop&) = delete;

    // Empty on success, else why the loop cannot run.
    std::string Init();
    // From any thread: the loop takes the transfer over and starts it.
    void Adopt(std::unique_ptr<TftpTransfer> transfer, std::uint64_t peer);
    // Transfers owned or on their way here.
    int Load() const { return load_.load(std::memory_order_relaxed); }
    // Runs until the stop descriptor becomes readable; `extraFd`, when given, is watched too and
    // `onExtra` is called when it is readable.
    void Run(int extraFd = -1, const std::function<void(SteadyClock::time_point)>& onExtra = {});

private:
    struct Entry {
        std::unique_ptr<TftpTransfer> transfer;
        std::uint64_t peer = 0;
        bool watchingWritable = false;
    };
    bool Add(int fd, std::uint32_t events);
    void TakeInbox(SteadyClock::time_point now);
    // Logs and forgets a finished transfer; keeps the epoll interest of a running one current.
    void Update(std::map<int, Entry>::iterator it);
    int NextTimeout(SteadyClock::time_point now) const;
    // On stop: every transfer still here is logged as stopped and closed.
    void Drop();

    int stopFd_;
    const TransferLog& log_;
    ActivePeers& peers_;
    platform::UniqueFd epoll_;
    platform::UniqueFd wake_;
    std::atomic<int> load_{0};
    std::mutex inboxMutex_;
    std::vector<std::pair<std::unique_ptr<TftpTransfer>, std::uint64_t>> inbox_;
    std::map<int, Entry> transfers_;  // by socket
};

}  // namespace cpe::service
