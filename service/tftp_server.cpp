#include "service/tftp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <thread>
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
    stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

TftpServer::~TftpServer() = default;

std::string TftpServer::Listen() {
    if (!stop_.Valid())
        return Errno("eventfd");
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_port = htons(options_.port);
    if (::inet_pton(AF_INET, options_.address.c_str(), &self.sin_addr) != 1)
        return "not an IPv4 address: " + options_.address;
    listener_.Reset(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener_.Valid())
        return Errno("socket");
    if (::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0)
        return "cannot listen on " + options_.address + ":" + std::to_string(options_.port) + ": " +
               std::strerror(errno);
    socklen_t len = sizeof self;
    ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&self), &len);
    port_ = ntohs(self.sin_port);
    const unsigned count = std::max(1u, options_.loops);
    for (unsigned i = 0; i < count; ++i) {
        loops_.push_back(std::make_unique<TftpLoop>(stop_.Get(), log_, peers_));
        if (std::string why = loops_.back()->Init(); !why.empty())
            return why;
    }
    return {};
}

void TftpServer::RequestStop() noexcept {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(stop_.Get(), &one, sizeof one);
}

void TftpServer::Run() {
    if (loops_.empty())
        return;
    std::vector<std::jthread> others;
    for (std::size_t i = 1; i < loops_.size(); ++i)
        others.emplace_back([loop = loops_[i].get()] { loop->Run(); });
    loops_.front()->Run(listener_.Get(), [this](SteadyClock::time_point now) { OnRequests(now); });
}

void TftpServer::OnRequests(SteadyClock::time_point) {
    std::array<std::uint8_t, kRequestBuffer> buffer;
    for (;;) {
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        const ssize_t n = ::recvfrom(listener_.Get(), buffer.data(), buffer.size(), MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&peer), &len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (len != sizeof peer || peer.sin_family != AF_INET || peer.sin_port == 0)
            continue;
        if (static_cast<std::size_t>(n) > buffer.size()) {
            Refuse(peer, "", TftpError::kIllegalOperation, "request too long");
            continue;
        }
        OnRequest(buffer.data(), static_cast<std::size_t>(n), peer);
    }
}

void TftpServer::OnRequest(const std::uint8_t* data, std::size_t size, const sockaddr_in& peer) {
    auto parsed = ParseTftpRequest({data, size});
    if (auto* why = std::get_if<std::string>(&parsed))
        return Refuse(peer, "", TftpError::kIllegalOperation, *why);
    TftpRequest& request = std::get<TftpRequest>(parsed);
    if (request.opcode == TftpOpcode::kWriteRequest)
        return Refuse(peer, request.fileName, TftpError::kAccessViolation, "write requests are refused");
    if (request.mode != "octet")
        return Refuse(peer, request.fileName, TftpError::kIllegalOperation, "only octet mode is served");
    // A client that repeats its request before our first answer reached it is already served.
    const std::uint64_t key = PeerKey(peer);
    if (peers_.Contains(key))
        return;

    auto opened = folder_.OpenFile(request.fileName);
    if (auto* failure = std::get_if<OpenFailure>(&opened)) {
        const TftpError code = failure->kind == Refusal::kNotFound    ? TftpError::kFileNotFound
                               : failure->kind == Refusal::kForbidden ? TftpError::kAccessViolation
                                                                      : TftpError::kNotDefined;
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
        return Refuse(peer, request.fileName, TftpError::kNotDefined, Errno("no transfer socket"));
    ::setsockopt(sock.Get(), SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);

    if (!peers_.TryAdd(key, options_.maxTransfers))
        return Refuse(peer, request.fileName, TftpError::kNotDefined, "server busy, try again later");
    TftpSettings settings = NegotiateOptions(request.options, file.size, options_.limits);
    TransferRecord record{PeerText(peer), request.fileName, 0, {}};
    auto transfer = std::make_unique<TftpTransfer>(std::move(sock), std::move(file), std::move(settings),
                                                   std::move(record), options_.retransmit);
    const auto loop = std::min_element(loops_.begin(), loops_.end(),
                                       [](const auto& a, const auto& b) { return a->Load() < b->Load(); });
    (*loop)->Adopt(std::move(transfer), key);
}

void TftpServer::Refuse(const sockaddr_in& peer, const std::string& file, TftpError code, const std::string& why) {
    const auto packet = MakeTftpError(code, why);
    ::sendto(listener_.Get(), packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    log_({PeerText(peer), file, 0, "refused: " + why});
}

}  // namespace cpe::service
