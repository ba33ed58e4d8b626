#include "service/tftp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <variant>

namespace cpe::service {
namespace {

constexpr std::size_t kRequestBuffer = 2048;  // RFC 2347 caps a request at 512 bytes
constexpr int kSendBuffer = 4 << 20;

std::string PeerText(const sockaddr_in& peer) {
    char ip[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, ip, sizeof ip);
    return std::string(ip) + ":" + std::to_string(ntohs(peer.sin_port));
}

std::uint64_t PeerKey(const sockaddr_in& peer) {
    return std::uint64_t{ntohl(peer.sin_addr.s_addr)} << 16 | ntohs(peer.sin_port);
}

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

TftpServer::TftpServer(ServedFolder folder, TftpServerOptions options, TransferLog log)
    : folder_(std::move(folder)), options_(std::move(options)), log_(std::move(log)) {
    epoll_.Reset(::epoll_create1(EPOLL_CLOEXEC));
    stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

TftpServer::~TftpServer() = default;

std::string TftpServer::Listen() {
    if (!epoll_.Valid() || !stop_.Valid()) return Errno("cannot set up the event loop");
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_port = htons(options_.port);
    if (::inet_pton(AF_INET, options_.address.c_str(), &self.sin_addr) != 1)
        return "not an IPv4 address: " + options_.address;
    listener_.Reset(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener_.Valid()) return Errno("socket");
    if (::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0)
        return "cannot listen on " + options_.address + ":" + std::to_string(options_.port) + ": " + std::strerror(errno);
    socklen_t len = sizeof self;
    ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&self), &len);
    port_ = ntohs(self.sin_port);
    for (int fd : {listener_.Get(), stop_.Get()}) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        if (::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &ev) != 0) return Errno("epoll_ctl");
    }
    return {};
}

void TftpServer::RequestStop() noexcept {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(stop_.Get(), &one, sizeof one);
}

void TftpServer::Run() {
    std::array<epoll_event, 64> events;
    for (;;) {
        auto now = SteadyClock::now();
        int timeout = -1;
        for (const auto& [fd, entry] : transfers_) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(entry.transfer->Deadline() - now).count();
            timeout = timeout < 0 ? static_cast<int>(std::max<long long>(left, 0))
                                  : std::min(timeout, static_cast<int>(std::max<long long>(left, 0)));
        }
        const int n = ::epoll_wait(epoll_.Get(), events.data(), static_cast<int>(events.size()), timeout);
        if (n < 0 && errno != EINTR) break;
        now = SteadyClock::now();
        for (int i = 0; i < n; ++i) {
            const int fd = events[static_cast<std::size_t>(i)].data.fd;
            const auto what = events[static_cast<std::size_t>(i)].events;
            if (fd == stop_.Get()) {
                for (auto& [sock, entry] : transfers_) {
                    TransferRecord record = entry.transfer->Record();
                    record.result = "stopped";
                    log_(record);
                }
                transfers_.clear();
                return;
            }
            if (fd == listener_.Get()) {
                OnRequests(now);
                continue;
            }
            const auto it = transfers_.find(fd);
            if (it == transfers_.end()) continue;
            if (what & (EPOLLIN | EPOLLERR)) it->second.transfer->OnReadable(now);
            if (what & EPOLLOUT) it->second.transfer->OnWritable(now);
            Update(it->second);
        }
        for (auto it = transfers_.begin(); it != transfers_.end();) {
            it->second.transfer->OnDeadline(now);
            Update(it->second);
            it = it->second.transfer->Finished() ? transfers_.erase(it) : std::next(it);
        }
    }
}

void TftpServer::Update(Entry& entry) {
    TftpTransfer& t = *entry.transfer;
    if (t.Finished()) {
        // Closing the socket removes it from the epoll set; the record is logged once, here.
        if (entry.peer != 0) log_(t.Record());
        entry.peer = 0;
        return;
    }
    if (t.WantsWritable() == entry.watchingWritable) return;
    entry.watchingWritable = t.WantsWritable();
    epoll_event ev{};
    ev.events = EPOLLIN | (entry.watchingWritable ? EPOLLOUT : 0u);
    ev.data.fd = t.Socket();
    ::epoll_ctl(epoll_.Get(), EPOLL_CTL_MOD, t.Socket(), &ev);
}

void TftpServer::OnRequests(SteadyClock::time_point now) {
    std::array<std::uint8_t, kRequestBuffer> buffer;
    for (;;) {
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        const ssize_t n = ::recvfrom(listener_.Get(), buffer.data(), buffer.size(), MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&peer), &len);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (len != sizeof peer || peer.sin_family != AF_INET || peer.sin_port == 0) continue;
        if (static_cast<std::size_t>(n) > buffer.size()) {
            Refuse(peer, "", TftpError::illegalOperation, "request too long");
            continue;
        }
        OnRequest(buffer.data(), static_cast<std::size_t>(n), peer, now);
    }
}

void TftpServer::OnRequest(const std::uint8_t* data, std::size_t size, const sockaddr_in& peer,
                           SteadyClock::time_point now) {
    auto parsed = ParseTftpRequest({data, size});
    if (auto* why = std::get_if<std::string>(&parsed)) return Refuse(peer, "", TftpError::illegalOperation, *why);
    TftpRequest& request = std::get<TftpRequest>(parsed);
    if (request.opcode == TftpOpcode::writeRequest)
        return Refuse(peer, request.fileName, TftpError::accessViolation, "write requests are refused");
    if (request.mode != "octet")
        return Refuse(peer, request.fileName, TftpError::illegalOperation, "only octet mode is served");
    // A client that repeats its request before our first answer reached it is already served.
    const std::uint64_t key = PeerKey(peer);
    if (std::any_of(transfers_.begin(), transfers_.end(), [&](const auto& t) { return t.second.peer == key; }))
        return;
    if (transfers_.size() >= options_.maxTransfers)
        return Refuse(peer, request.fileName, TftpError::notDefined, "server busy, try again later");

    auto opened = folder_.OpenFile(request.fileName);
    if (auto* failure = std::get_if<OpenFailure>(&opened)) {
        const TftpError code = failure->kind == Refusal::notFound    ? TftpError::fileNotFound
                               : failure->kind == Refusal::forbidden ? TftpError::accessViolation
                                                                     : TftpError::notDefined;
        return Refuse(peer, request.fileName, code, failure->reason);
    }
    ServedFile file = std::move(std::get<ServedFile>(opened));

    // The transfer's socket: same local address as the listener, a fresh port, connected to the
    // client so that the kernel drops anything from anyone else.
    platform::UniqueFd sock(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_in self{};
    socklen_t selfLen = sizeof self;
    ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&self), &selfLen);
    self.sin_port = 0;
    if (!sock.Valid() || ::bind(sock.Get(), reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0 ||
        ::connect(sock.Get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0)
        return Refuse(peer, request.fileName, TftpError::notDefined, Errno("no transfer socket"));
    ::setsockopt(sock.Get(), SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);

    TftpSettings settings = NegotiateOptions(request.options, file.size, options_.limits);
    TransferRecord record{PeerText(peer), request.fileName, 0, {}};
    auto transfer = std::make_unique<TftpTransfer>(std::move(sock), std::move(file), std::move(settings),
                                                   std::move(record), options_.retransmit);
    const int fd = transfer->Socket();
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    if (::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &ev) != 0)
        return Refuse(peer, request.fileName, TftpError::notDefined, Errno("epoll_ctl"));
    Entry& entry = transfers_[fd];
    entry.transfer = std::move(transfer);
    entry.peer = key;
    entry.transfer->Begin(now);
    Update(entry);
}

void TftpServer::Refuse(const sockaddr_in& peer, const std::string& file, TftpError code, const std::string& why) {
    const auto packet = MakeTftpError(code, why);
    ::sendto(listener_.Get(), packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    log_({PeerText(peer), file, 0, "refused: " + why});
}

}  // namespace cpe::service
