// Sockets, threads and the datagram path of the engine: receivers filter and queue, workers
// unscramble and dispatch, the ager ticks. Shutdown is cooperative: a wake-up pipe ends every
// receiver's poll at once, the queues and the ager are woken through their condition variables,
// and every thread is joined before the sockets are closed.
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "engine/net_management.h"
#include "protocol/codes.h"
#include "store/sql_management.h"

namespace cpe {
namespace {

constexpr int kBufferBytes = 1048576;
constexpr int kRequestBufferBytes = 10485760;

std::size_t Index(SocketRole role) { return static_cast<std::size_t>(role); }
std::size_t Index(PortRole port) { return static_cast<std::size_t>(port); }
SocketRole ReceivingSocket(PortRole port) { return static_cast<SocketRole>(Index(port) + 1); }

void FillRecord(const sockaddr_in& from, std::span<const std::uint8_t> datagram, recv_record& out) {
    out.from = from;
    std::memcpy(out.packet, datagram.data(), datagram.size());
    std::memset(out.packet + datagram.size(), 0, sizeof out.packet - datagram.size());
    out.size = static_cast<std::uint16_t>(datagram.size());
}

// Asks for the full size even past the system's limit (privileged), else for what is allowed.
bool SetBufferSize(int fd, int forcedOption, int option, int bytes) {
    if (setsockopt(fd, SOL_SOCKET, forcedOption, &bytes, sizeof bytes) == 0)
        return true;
    return setsockopt(fd, SOL_SOCKET, option, &bytes, sizeof bytes) == 0;
}

void ClosePipe(std::array<int, 2>& pipe) {
    for (int& fd : pipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

}  // namespace

std::string_view SocketPurpose(SocketRole role) {
    switch (role) {
    case SocketRole::kDiscovery: return "discovery";
    case SocketRole::kSearchReply: return "search replies";
    case SocketRole::kHeartbeat: return "heartbeats";
    case SocketRole::kRequest: return "requests";
    }
    return "unknown";
}

std::string EngineStartResult::Describe() const {
    const std::string reason = std::strerror(error);
    const std::string socket = "UDP port " + std::to_string(port) + " (" + std::string(SocketPurpose(role)) + ")";
    switch (failed) {
    case Step::kNone: return "started";
    case Step::kWakePipe: return "cannot make the engine's wake-up pipe: " + reason;
    case Step::kSocket: return "cannot open a socket for " + socket + ": " + reason;
    case Step::kSocketOption: return "cannot set the options of " + socket + ": " + reason;
    case Step::kBind: return "cannot bind " + socket + ": " + reason;
    case Step::kThread: return "cannot start the engine's threads: " + reason;
    }
    return reason;
}

std::string SenderIpText(const sockaddr_in& from) {
    RawIp raw;
    std::memcpy(raw.data(), &from.sin_addr.s_addr, raw.size());  // network order: a.b.c.d
    return FormatIp(raw);
}

void CNetManagement::SocketHandle::Reset(int fd) {
    const int old = fd_.exchange(fd);
    if (old >= 0)
        close(old);
}

CNetManagement& CNetManagement::GetInstance() {
    // The store is built before the engine starts constructing, so it is destroyed after it.
    static CNetManagement engine(CSqlManagement::GetInstance());
    return engine;
}

CNetManagement::CNetManagement(CSqlManagement& store, EngineConfig config)
    : store_(store),
      config_(std::move(config)),
      key_(DefaultPayloadKey()),
      adapters_(config_.adapters ? config_.adapters : LocalAdapterLibrary::LoadDefault()),
      queues_{DatagramQueue(config_.queueCapacity, config_.queueBytes),
              DatagramQueue(config_.queueCapacity, config_.queueBytes),
              DatagramQueue(config_.queueCapacity, config_.queueBytes)},
      online_(config_.onlineCapacity) {}

CNetManagement::~CNetManagement() { Shutdown(); }

EngineStartResult CNetManagement::Start() {
    using Step = EngineStartResult::Step;
    StopThreads();
    stopping_.store(false);
    for (auto& queue : queues_)
        queue.Restart();
    if (!OpenWakePipe())
        return {Step::kWakePipe, SocketRole::kDiscovery, 0, errno};

    const EngineEndpoints& ep = config_.endpoints;
    const struct {
        SocketRole role;
        std::uint16_t port;
        bool broadcast;
        int bufferBytes;
    } sockets[] = {
        {SocketRole::kDiscovery, ep.discoveryPort, true, kBufferBytes},
        {SocketRole::kSearchReply, ep.searchReplyPort, false, kBufferBytes},
        {SocketRole::kHeartbeat, ep.heartbeatPort, false, kBufferBytes},
        {SocketRole::kRequest, ep.requestPort, false, kRequestBufferBytes},
    };
    for (const auto& s : sockets)
        if (const EngineStartResult opened = OpenSocket(s.role, s.port, s.broadcast, s.bufferBytes); !opened)
            return opened;

    try {
        for (PortRole port : {PortRole::kSearchReply, PortRole::kHeartbeat, PortRole::kRequest})
            threads_.emplace_back(&CNetManagement::ReceiverLoop, this, port);
        for (PortRole port : {PortRole::kSearchReply, PortRole::kHeartbeat, PortRole::kRequest})
            threads_.emplace_back(&CNetManagement::WorkerLoop, this, port);
        threads_.emplace_back(&CNetManagement::AgerLoop, this);
    } catch (const std::system_error& e) {
        return {Step::kThread, SocketRole::kDiscovery, 0, e.code().value()};
    }
    return {};
}

void CNetManagement::Shutdown() {
    StopThreads();
    for (auto& socket : sockets_)
        socket.Reset();
    ClosePipe(wakePipe_);
}

void CNetManagement::StopThreads() {
    {
        std::lock_guard lock(agerMutex_);
        stopping_.store(true);
    }
    agerWake_.notify_all();
    for (auto& queue : queues_)
        queue.Stop();
    if (wakePipe_[1] >= 0) {
        const std::uint8_t byte = 1;
        [[maybe_unused]] const ssize_t written = write(wakePipe_[1], &byte, 1);
    }
    for (std::thread& thread : threads_)
        if (thread.joinable())
            thread.join();
    threads_.clear();
}

bool CNetManagement::OpenWakePipe() {
    ClosePipe(wakePipe_);
    return pipe2(wakePipe_.data(), O_CLOEXEC | O_NONBLOCK) == 0;
}

EngineStartResult CNetManagement::OpenSocket(SocketRole role, std::uint16_t port, bool broadcast, int bufferBytes) {
    using Step = EngineStartResult::Step;
    const auto failed = [&](Step step, int error) { return EngineStartResult{step, role, port, error}; };
    SocketHandle& handle = sockets_[Index(role)];
    handle.Reset();
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0)
        return failed(Step::kSocket, errno);
    handle.Reset(fd);

    const int one = 1;
    if (broadcast && setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0)
        return failed(Step::kSocketOption, errno);
    if (!SetBufferSize(fd, SO_SNDBUFFORCE, SO_SNDBUF, bufferBytes) ||
        !SetBufferSize(fd, SO_RCVBUFFORCE, SO_RCVBUF, bufferBytes))
        return failed(Step::kSocketOption, errno);

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, config_.endpoints.bindAddress.c_str(), &address.sin_addr) != 1)
        return failed(Step::kBind, EADDRNOTAVAIL);
    // Bound before address reuse is switched on: a port another program holds, with reuse or
    // without, then refuses us instead of quietly sharing the devices' replies with it.
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return failed(Step::kBind, errno);
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0)
        return failed(Step::kSocketOption, errno);
    return {};
}

std::uint16_t CNetManagement::LocalPort(SocketRole role) const {
    const int fd = sockets_[Index(role)].Get();
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (fd < 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

void CNetManagement::ReceiverLoop(PortRole port) {
    const int fd = sockets_[Index(ReceivingSocket(port))].Get();
    if (fd < 0)
        return;
    // One byte more than the largest datagram, so that an oversized one is recognised.
    std::array<std::uint8_t, kMaxDatagram + 1> buffer;
    pollfd watched[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (!stopping_.load()) {
        if (poll(watched, 2, -1) < 0)
            continue;
        if (stopping_.load() || watched[1].revents != 0)
            return;
        if (watched[0].revents == 0)
            continue;
        // Take everything a burst left in the socket before polling again.
        while (!stopping_.load()) {
            sockaddr_in from{};
            socklen_t fromSize = sizeof from;
            const ssize_t received =
                recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
            if (received < 0)
                break;
            received_[Index(port)].fetch_add(1, std::memory_order_relaxed);
            const std::span<const std::uint8_t> datagram(buffer.data(), static_cast<std::size_t>(received));
            if (PassesFilter(port, datagram))
                queues_[Index(port)].Push(from, datagram);
            else
                rejected_[Index(port)].fetch_add(1, std::memory_order_relaxed);
        }
    }
}

void CNetManagement::WorkerLoop(PortRole port) {
    DatagramQueue& queue = queues_[Index(port)];
    DatagramBatch batch;
    recv_record record;
    while (queue.WaitAndTakeAll(batch)) {
        batch.ForEach([&](const sockaddr_in& from, std::span<const std::uint8_t> datagram) {
            if (stopping_.load())
                return false;
            FillRecord(from, datagram, record);
            Dispatch(port, record);
            return true;
        });
    }
}

void CNetManagement::AgerLoop() {
    std::unique_lock lock(agerMutex_);
    while (!agerWake_.wait_for(lock, config_.agePeriod, [&] { return stopping_.load(); })) {
        lock.unlock();
        AgeOnlineList();
        lock.lock();
    }
}

bool CNetManagement::AcceptDatagram(PortRole port, const sockaddr_in& from, std::span<const std::uint8_t> datagram,
                                    recv_record& out) {
    if (!PassesFilter(port, datagram))
        return false;
    std::memset(&out, 0, sizeof out);
    FillRecord(from, datagram, out);
    return true;
}

void CNetManagement::Dispatch(PortRole port, recv_record& record) {
    const std::size_t received = std::min<std::size_t>(record.size, kMaxDatagram);
    if (received < kHeaderSize)
        return;
    const auto header = ReadRecord<packet_header>(std::span<const std::uint8_t>(record.packet, kHeaderSize));
    // The length field is the sender's claim: never unscramble or read past what arrived.
    const std::size_t length = std::min<std::size_t>(header.length.get(), received - kHeaderSize);
    const std::span<std::uint8_t> payload(record.packet + kHeaderSize, length);
    ScramblePayload(key_, payload);

    const MessageRoute* route = FindRoute(port, header.type.get());
    if (route == nullptr)
        return;
    if (length < route->minPayload)
        shortPayload_[Index(port)].fetch_add(1, std::memory_order_relaxed);
    (this->*route->handler)(Incoming{record.from, header, payload});
}

bool CNetManagement::ProcessDatagram(PortRole port, const sockaddr_in& from, std::span<const std::uint8_t> datagram) {
    recv_record record;
    received_[Index(port)].fetch_add(1, std::memory_order_relaxed);
    if (!AcceptDatagram(port, from, datagram, record)) {
        rejected_[Index(port)].fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    DispatchRecord(port, record);
    return true;
}

bool CNetManagement::Send(SocketRole from, std::string_view ip, std::uint16_t port, MessageType type,
                          std::span<const std::uint8_t> payload) {
    if (config_.sendHook)
        return config_.sendHook(from, ip, port, TypeCode(type), payload);
    return SendPacket(key_, sockets_[Index(from)].Get(), ip, port, type, payload.data(), payload.size());
}

EngineCounters CNetManagement::Counters() const {
    EngineCounters counters;
    for (std::size_t i = 0; i < 3; ++i) {
        counters.received[i] = received_[i].load(std::memory_order_relaxed);
        counters.rejected[i] = rejected_[i].load(std::memory_order_relaxed);
        counters.dropped[i] = queues_[i].Dropped();
        counters.shortPayload[i] = shortPayload_[i].load(std::memory_order_relaxed);
    }
    counters.onlineFull = online_.Refused();
    counters.searches = searches_.load(std::memory_order_relaxed);
    return counters;
}

}  // namespace cpe
