#include "sim/simulator.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <queue>
#include <utility>
#include <variant>

#include "protocol/packet.h"
#include "sim/firmware_fetch.h"
#include "sim/lab_guard.h"
#include "sim/state_view.h"

namespace cpe::sim {
namespace {

constexpr int kFetchThreads = 4;
constexpr int kSocketBuffer = 8 << 20;

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = std::exchange(o.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct PendingSend {
    Endpoint from;
    Endpoint to;
    std::vector<std::uint8_t> datagram;
};

struct Scheduled {
    Clock::time_point when;
    std::uint64_t seq;
    std::variant<Timer, PendingSend> what;
    bool operator>(const Scheduled& o) const { return when != o.when ? when > o.when : seq > o.seq; }
};

// When the kernel received a datagram (its SO_TIMESTAMPNS stamp), on the simulator's clock: the
// event loop may reach a datagram late on a busy machine, and the request log tells when the
// device heard it.
Clock::time_point ArrivalTime(const timespec* stamp) {
    const auto now = Clock::now();
    if (!stamp)
        return now;
    const auto arrived = std::chrono::seconds(stamp->tv_sec) + std::chrono::nanoseconds(stamp->tv_nsec);
    const auto waited = std::chrono::system_clock::now().time_since_epoch() - arrived;
    return waited.count() > 0 ? now - std::chrono::duration_cast<Clock::duration>(waited) : now;
}

Fd OpenUdp(std::uint16_t port, std::string& error) {
    Fd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) {
        error = std::strerror(errno);
        return {};
    }
    const int one = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(fd.get(), IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
    ::setsockopt(fd.get(), SOL_SOCKET, SO_TIMESTAMPNS, &one, sizeof one);
    // One socket stands for thousands of devices, so it needs more than the system's default
    // limit; the forcing options pass that limit when the lab runs us as root.
    const int buffer = kSocketBuffer;
    if (::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0)
        ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    if (::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUFFORCE, &buffer, sizeof buffer) != 0)
        ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        error = "bind port " + std::to_string(port) + ": " + std::strerror(errno);
        return {};
    }
    return fd;
}

}  // namespace

struct Simulator::Impl final : Outbox {
    explicit Impl(SimOptions o)
        : options(std::move(o)), network(options, Clock::now()), faults(options.faults, options.seed) {}

    SimOptions options;
    DeviceNetwork network;
    FaultInjector faults;
    SimStats stats;
    Fd discovery, command, wake, control;
    std::vector<Fd> controlClients;
    std::map<int, std::string> controlInput;              // per client fd: the request read so far
    std::map<int, std::vector<std::size_t>> linkSubnets;  // interface index -> subnets on it
    std::priority_queue<Scheduled, std::vector<Scheduled>, std::greater<>> schedule;
    std::uint64_t seq = 0;
    std::atomic<bool> stopping{false};

    // Firmware fetches run on their own threads; results come back through `done`.
    std::mutex fetchLock;
    std::condition_variable fetchReady;
    std::deque<FetchRequest> fetchQueue;
    std::deque<std::pair<FetchRequest, FetchResult>> fetchDone;
    std::vector<std::thread> fetchers;
    bool fetchStop = false;

    // Outbox
    void Send(Endpoint from, Endpoint to, std::vector<std::uint8_t> datagram, Millis delay) override {
        const auto departures = faults.Departures(delay);
        if (departures.empty()) {
            ++stats.droppedOut;
            return;
        }
        if (departures.size() > 1)
            ++stats.duplicated;
        const auto now = Clock::now();
        for (std::size_t i = 0; i < departures.size(); ++i) {
            PendingSend p{from, to, i + 1 < departures.size() ? datagram : std::move(datagram)};
            if (departures[i].count() == 0)
                Transmit(p);
            else
                schedule.push({now + departures[i], seq++, std::move(p)});
        }
    }
    void Arm(Millis after, Timer timer) override { schedule.push({Clock::now() + after, seq++, timer}); }
    void Fetch(FetchRequest request) override {
        {
            std::lock_guard lock(fetchLock);
            fetchQueue.push_back(std::move(request));
        }
        fetchReady.notify_one();
    }

    bool Allowed(Ipv4 ip) const { return !options.loopback || IsLoopback(ip); }

    void Transmit(const PendingSend& p) {
        if (!Allowed(p.to.ip) || !Allowed(p.from.ip)) {
            ++stats.refused;
            return;
        }
        const int fd = p.from.port == options.ports.discovery ? discovery.get() : command.get();
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(p.to.port);
        to.sin_addr.s_addr = htonl(p.to.ip);
        iovec iov{const_cast<std::uint8_t*>(p.datagram.data()), p.datagram.size()};
        alignas(cmsghdr) char cmsg[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr msg{};
        msg.msg_name = &to;
        msg.msg_namelen = sizeof to;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = cmsg;
        msg.msg_controllen = sizeof cmsg;
        cmsghdr* c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst.s_addr = htonl(p.from.ip);  // the device's address is the source
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        if (::sendmsg(fd, &msg, 0) < 0)
            ++stats.sendErrors;
        else
            ++stats.sent;
    }

    void FetchWorker() {
        for (;;) {
            FetchRequest request;
            {
                std::unique_lock lock(fetchLock);
                fetchReady.wait(lock, [this] { return fetchStop || !fetchQueue.empty(); });
                if (fetchStop)
                    return;
                request = std::move(fetchQueue.front());
                fetchQueue.pop_front();
            }
            FetchResult result;
            if (!Allowed(request.server.ip))
                result.error = "server outside loopback";
            else
                result = sim::Fetch(request);
            {
                std::lock_guard lock(fetchLock);
                fetchDone.emplace_back(std::move(request), std::move(result));
            }
            Wake();
        }
    }

    void Wake() {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wake.get(), &one, sizeof one);
    }

    void MapLinks() {
        ifaddrs* list = nullptr;
        if (::getifaddrs(&list) != 0)
            return;
        for (ifaddrs* i = list; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET)
                continue;
            const Ipv4 ip = ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
            const int index = static_cast<int>(::if_nametoindex(i->ifa_name));
            for (std::size_t s : network.SubnetsHolding(ip))
                linkSubnets[index].push_back(s);
        }
        ::freeifaddrs(list);
    }

    std::string OpenControl() {
        if (options.controlPath.empty())
            return {};
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        if (options.controlPath.size() >= sizeof a.sun_path)
            return "control path too long";
        std::memcpy(a.sun_path, options.controlPath.c_str(), options.controlPath.size());
        ::unlink(options.controlPath.c_str());
        control = Fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (control.get() < 0 || ::bind(control.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(control.get(), 16) != 0)
            return "control socket " + options.controlPath + ": " + std::strerror(errno);
        return {};
    }

    void ReceiveFrom(int fd, bool isDiscovery) {
        std::uint8_t buf[2048];
        for (int burst = 0; burst < 256; ++burst) {
            sockaddr_in from{};
            iovec iov{buf, sizeof buf};
            alignas(cmsghdr) char cbuf[CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(timespec))];
            msghdr msg{};
            msg.msg_name = &from;
            msg.msg_namelen = sizeof from;
            msg.msg_iov = &iov;
            msg.msg_iovlen = 1;
            msg.msg_control = cbuf;
            msg.msg_controllen = sizeof cbuf;
            const ssize_t n = ::recvmsg(fd, &msg, 0);
            if (n < 0)
                return;
            ++stats.received;
            Ipv4 dst = 0;
            int ifindex = 0;
            timespec stamp{};
            bool stamped = false;
            for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                    std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
                    stamped = true;
                }
                if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO)
                    continue;
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                dst = ntohl(info.ipi_addr.s_addr);
                ifindex = info.ipi_ifindex;
            }
            const Clock::time_point arrived = ArrivalTime(stamped ? &stamp : nullptr);
            const Endpoint src{ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
            if (!Allowed(src.ip)) {
                ++stats.refused;
                continue;
            }
            if (faults.DropIncoming()) {
                ++stats.droppedIn;
                continue;
            }
            const std::span<const std::uint8_t> datagram(buf, static_cast<std::size_t>(n));
            if (options.verbose) {
                const auto h = ParsePacketHeader(datagram);
                std::fprintf(stderr, "cpe-sim: %s -> %s:%u %s\n", Ipv4Text(src.ip).c_str(), Ipv4Text(dst).c_str(),
                             isDiscovery ? options.ports.discovery : options.ports.command,
                             h ? RequestName(h->type.get()) : "malformed");
            }
            if (isDiscovery) {
                const auto it = linkSubnets.find(ifindex);
                static const std::vector<std::size_t> kAll;
                network.OnDiscovery(datagram, src, dst, it == linkSubnets.end() ? kAll : it->second, arrived, *this);
            } else {
                network.OnCommand(datagram, src, dst, arrived, *this);
            }
        }
    }

    void RunDue() {
        const auto now = Clock::now();
        while (!schedule.empty() && schedule.top().when <= now) {
            Scheduled s = schedule.top();
            schedule.pop();
            if (auto* t = std::get_if<Timer>(&s.what))
                network.OnTimer(*t, now, *this);
            else
                Transmit(std::get<PendingSend>(s.what));
        }
        std::deque<std::pair<FetchRequest, FetchResult>> done;
        {
            std::lock_guard lock(fetchLock);
            done.swap(fetchDone);
        }
        for (auto& [request, result] : done)
            network.OnFetched(request, result, now, *this);
    }

    void SendGarbage() {
        const auto& devices = network.Devices();
        const SimDevice& d = devices[std::uniform_int_distribution<std::size_t>(0, devices.size() - 1)(faults.Rng())];
        if (!d.manager || d.power != Power::kOn)
            return;
        const std::uint16_t ports[] = {options.ports.utilSearchReply, options.ports.utilHeartbeat,
                                       options.ports.utilReply};
        const std::uint16_t port = ports[std::uniform_int_distribution<int>(0, 2)(faults.Rng())];
        Transmit({{d.ip, options.ports.command}, {*d.manager, port}, faults.Garbage(d.model)});
        ++stats.garbage;
    }

    std::string Answer(const std::string& request) {
        const auto now = Clock::now();
        const auto space = request.find(' ');
        const std::string verb = request.substr(0, space);
        const std::string arg = space == std::string::npos ? std::string() : request.substr(space + 1);
        if (verb == "dump")
            return DumpJson(network, stats, now);
        if (verb == "stats") {
            return "{\"sim\":" + StatsJson(stats, network.rejected) + ",\"kernel\":" + KernelUdpCountersJson() + "}";
        }
        if (verb == "device") {
            const SimDevice* d = network.FindByMac(arg);
            return d ? DeviceJson(*d, now) : "{\"error\":\"no such device\"}";
        }
        if (verb == "stop")
            return network.Stop(arg) ? "{\"ok\":true}" : "{\"error\":\"no such device\"}";
        if (verb == "start")
            return network.StartDevice(arg, now, *this) ? "{\"ok\":true}" : "{\"error\":\"no such device\"}";
        if (verb == "refuse-bridge")
            return network.RefuseBridge(arg) ? "{\"ok\":true}" : "{\"error\":\"no such device\"}";
        if (verb == "quit") {
            stopping = true;
            return "{\"ok\":true}";
        }
        return "{\"error\":\"unknown request\"}";
    }

    void ServeControl(std::vector<pollfd>& fds, std::size_t firstClient) {
        if (control.get() >= 0 && (fds[3].revents & POLLIN)) {
            const int c = ::accept4(control.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (c >= 0)
                controlClients.emplace_back(c);
        }
        for (std::size_t i = firstClient; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const int fd = fds[i].fd;
            char buf[512];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            std::string& input = controlInput[fd];
            if (n > 0)
                input.append(buf, static_cast<std::size_t>(n));
            const auto eol = input.find('\n');
            if (eol == std::string::npos && n > 0 && input.size() < 4096)
                continue;
            if (eol != std::string::npos) {
                // Answers can be large; the client reads until we close.
                const std::string reply = Answer(input.substr(0, eol)) + "\n";
                const int flags = 0;
                std::size_t off = 0;
                while (off < reply.size()) {
                    pollfd w{fd, POLLOUT, 0};
                    if (::poll(&w, 1, 2000) <= 0)
                        break;
                    const ssize_t m = ::send(fd, reply.data() + off, reply.size() - off, flags | MSG_NOSIGNAL);
                    if (m <= 0)
                        break;
                    off += static_cast<std::size_t>(m);
                }
            }
            controlInput.erase(fd);
            std::erase_if(controlClients, [fd](const Fd& c) { return c.get() == fd; });
        }
    }

    void Loop() {
        network.Start(Clock::now(), *this);
        auto nextGarbage = Clock::now();
        const auto garbageGap = options.faults.garbagePerSecond > 0
                                    ? std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(1.0 / options.faults.garbagePerSecond))
                                    : Clock::duration::zero();
        while (!stopping) {
            std::vector<pollfd> fds = {{discovery.get(), POLLIN, 0},
                                       {command.get(), POLLIN, 0},
                                       {wake.get(), POLLIN, 0},
                                       {control.get(), POLLIN, 0}};
            const std::size_t firstClient = fds.size();
            for (const Fd& c : controlClients)
                fds.push_back({c.get(), POLLIN, 0});
            int timeout = 1000;
            if (!schedule.empty()) {
                const auto wait =
                    std::chrono::duration_cast<std::chrono::milliseconds>(schedule.top().when - Clock::now());
                timeout = static_cast<int>(std::clamp<std::int64_t>(wait.count() + 1, 0, 1000));
            }
            if (garbageGap.count() > 0)
                timeout = std::min(timeout, 50);
            if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
                break;
            if (fds[2].revents & POLLIN) {
                std::uint64_t count;
                [[maybe_unused]] auto n = ::read(wake.get(), &count, sizeof count);
            }
            if (fds[0].revents & POLLIN)
                ReceiveFrom(discovery.get(), true);
            if (fds[1].revents & POLLIN)
                ReceiveFrom(command.get(), false);
            ServeControl(fds, firstClient);
            RunDue();
            if (garbageGap.count() > 0) {
                for (const auto now = Clock::now(); nextGarbage <= now; nextGarbage += garbageGap)
                    SendGarbage();
            }
        }
    }
};

Simulator::Simulator(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() {
    {
        std::lock_guard lock(impl_->fetchLock);
        impl_->fetchStop = true;
    }
    impl_->fetchReady.notify_all();
    for (auto& t : impl_->fetchers)
        t.join();
    if (impl_->control.get() >= 0)
        ::unlink(impl_->options.controlPath.c_str());
}

std::string Simulator::Open() {
    Impl& s = *impl_;
    if (!s.options.loopback) {
        if (auto why = CheckInLabNamespace(); !why.empty())
            return why + "; start it with tools/netlab.sh sim, or use --loopback with 127.0.0.0/8 subnets";
    }
    std::string error;
    s.discovery = OpenUdp(s.options.ports.discovery, error);
    if (s.discovery.get() < 0)
        return error;
    s.command = OpenUdp(s.options.ports.command, error);
    if (s.command.get() < 0)
        return error;
    s.wake = Fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (s.wake.get() < 0)
        return "eventfd";
    if (auto e = s.OpenControl(); !e.empty())
        return e;
    s.MapLinks();
    for (int i = 0; i < kFetchThreads; ++i)
        s.fetchers.emplace_back([&s] { s.FetchWorker(); });
    return {};
}

void Simulator::Run() { impl_->Loop(); }

void Simulator::RequestStop() {
    impl_->stopping = true;
    impl_->Wake();
}

}  // namespace cpe::sim
