#include "service/tftp_loop.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace cpe::service {

bool ActivePeers::TryAdd(std::uint64_t peer, std::size_t limit) {
    std::lock_guard lock(mutex_);
    if (peers_.size() >= limit)
        return false;
    return peers_.insert(peer).second;
}

bool ActivePeers::Contains(std::uint64_t peer) {
    std::lock_guard lock(mutex_);
    return peers_.count(peer) != 0;
}

void ActivePeers::Remove(std::uint64_t peer) {
    std::lock_guard lock(mutex_);
    peers_.erase(peer);
}

TftpLoop::TftpLoop(int stopFd, const TransferLog& log, ActivePeers& peers)
    : stopFd_(stopFd), log_(log), peers_(peers) {}

std::string TftpLoop::Init() {
    epoll_.Reset(::epoll_create1(EPOLL_CLOEXEC));
    wake_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!epoll_.Valid() || !wake_.Valid() || !Add(stopFd_, EPOLLIN) || !Add(wake_.Get(), EPOLLIN))
        return std::string("cannot set up an event loop: ") + std::strerror(errno);
    return {};
}

bool TftpLoop::Add(int fd, std::uint32_t events) {
    epoll_event ev{};
    ev.events = events;
    ev.data.fd = fd;
    return ::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &ev) == 0;
}

void TftpLoop::Adopt(std::unique_ptr<TftpTransfer> transfer, std::uint64_t peer) {
    load_.fetch_add(1, std::memory_order_relaxed);
    {
        std::lock_guard lock(inboxMutex_);
        inbox_.emplace_back(std::move(transfer), peer);
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wake_.Get(), &one, sizeof one);
}

void TftpLoop::TakeInbox(SteadyClock::time_point now) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(wake_.Get(), &count, sizeof count);
    std::vector<std::pair<std::unique_ptr<TftpTransfer>, std::uint64_t>> arrived;
    {
        std::lock_guard lock(inboxMutex_);
        arrived.swap(inbox_);
    }
    for (auto& [transfer, peer] : arrived) {
        const int fd = transfer->Socket();
        const auto [it, added] = transfers_.emplace(fd, Entry{std::move(transfer), peer, false});
        if (!Add(fd, EPOLLIN)) {
            TransferRecord record = it->second.transfer->Record();
            record.result = std::string("cannot watch the transfer: ") + std::strerror(errno);
            log_(record);
            peers_.Remove(peer);
            load_.fetch_sub(1, std::memory_order_relaxed);
            transfers_.erase(it);
            continue;
        }
        it->second.transfer->Begin(now);
        Update(it);
    }
}

void TftpLoop::Update(std::map<int, Entry>::iterator it) {
    Entry& entry = it->second;
    TftpTransfer& t = *entry.transfer;
    if (t.Finished()) {
        log_(t.Record());
        peers_.Remove(entry.peer);
        load_.fetch_sub(1, std::memory_order_relaxed);
        transfers_.erase(it);  // closing the socket takes it out of the epoll set
        return;
    }
    if (t.WantsWritable() == entry.watchingWritable)
        return;
    entry.watchingWritable = t.WantsWritable();
    epoll_event ev{};
    ev.events = EPOLLIN | (entry.watchingWritable ? static_cast<std::uint32_t>(EPOLLOUT) : 0u);
    ev.data.fd = t.Socket();
    ::epoll_ctl(epoll_.Get(), EPOLL_CTL_MOD, t.Socket(), &ev);
}

int TftpLoop::NextTimeout(SteadyClock::time_point now) const {
    if (transfers_.empty())
        return -1;
    auto next = SteadyClock::time_point::max();
    for (const auto& [fd, entry] : transfers_)
        next = std::min(next, entry.transfer->Deadline());
    if (next <= now)
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(next - now).count());
}

void TftpLoop::Drop() {
    auto stopped = [this](const TftpTransfer& transfer, std::uint64_t peer) {
        TransferRecord record = transfer.Record();
        record.result = "stopped";
        log_(record);
        peers_.Remove(peer);
    };
    for (auto& [sock, entry] : transfers_)
        stopped(*entry.transfer, entry.peer);
    transfers_.clear();
    std::lock_guard lock(inboxMutex_);
    for (auto& [transfer, peer] : inbox_)
        stopped(*transfer, peer);
    inbox_.clear();
}

void TftpLoop::Run(int extraFd, const std::function<void(SteadyClock::time_point)>& onExtra) {
    if (extraFd >= 0 && !Add(extraFd, EPOLLIN))
        return;
    std::array<epoll_event, 64> events;
    for (;;) {
        const int n =
            ::epoll_wait(epoll_.Get(), events.data(), static_cast<int>(events.size()), NextTimeout(SteadyClock::now()));
        if (n < 0 && errno != EINTR)
            break;
        const auto now = SteadyClock::now();
        for (int i = 0; i < n; ++i) {
            const int fd = events[static_cast<std::size_t>(i)].data.fd;
            const auto what = events[static_cast<std::size_t>(i)].events;
            if (fd == stopFd_)
                return Drop();
            if (fd == wake_.Get()) {
                TakeInbox(now);
            } else if (fd == extraFd) {
                onExtra(now);
            } else if (const auto it = transfers_.find(fd); it != transfers_.end()) {
                if (what & (EPOLLIN | EPOLLERR))
                    it->second.transfer->OnReadable(now);
                if (what & EPOLLOUT)
                    it->second.transfer->OnWritable(now);
                Update(it);
            }
        }
        for (auto it = transfers_.begin(); it != transfers_.end();) {
            const auto next = std::next(it);
            if (it->second.transfer->Deadline() <= now) {
                it->second.transfer->OnDeadline(now);
                Update(it);
            }
            it = next;
        }
    }
}

}  // namespace cpe::service
