// cpe-flood: floods the utility's four ports from the device side of the network lab with the
// mix of flood_traffic.h, from random addresses of each device subnet's upper range (which no
// simulated device uses), at a fixed rate, and reports what it sent as one JSON line.
//
//   cpe-flood --to ADDRESS [--to ADDRESS...] [--rate DATAGRAMS_PER_S] [--seconds S] [--seed N]
//
// Like cpe-sim it refuses to run outside a network namespace of the lab.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/load/flood_traffic.h"
#include "platform/unique_fd.h"
#include "sim/lab_guard.h"

namespace {

using namespace cpe;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kBatch = 128;
constexpr std::size_t kMixSize = 4096;
constexpr std::uint32_t kSpoofedHosts = 8192;  // 10.x.96.0/19: inside the device range, above the devices

struct Options {
    std::vector<in_addr> targets;
    double rate = 120000;
    double seconds = 30;
    std::uint64_t seed = 1;
};

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--to") {
            in_addr a{};
            if (::inet_pton(AF_INET, value, &a) != 1)
                return false;
            o.targets.push_back(a);
        } else if (name == "--rate") {
            o.rate = std::stod(value);
        } else if (name == "--seconds") {
            o.seconds = std::stod(value);
        } else if (name == "--seed") {
            o.seed = std::stoull(value);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !o.targets.empty() && o.rate > 0 && o.seconds > 0;
}

// The spoofed sender for a datagram to `target` (10.s.0.1): a random host of 10.s.96.0/19.
in_addr SpoofedSource(in_addr target, std::mt19937_64& random) {
    const std::uint32_t subnet = ntohl(target.s_addr) & 0xFFFF0000u;
    in_addr source{};
    source.s_addr = htonl(subnet | (96u << 8) | static_cast<std::uint32_t>(random() % kSpoofedHosts));
    return source;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: cpe-flood --to ADDRESS [--to ADDRESS...] [--rate N] [--seconds S] [--seed N]\n");
        return 2;
    }
    if (const std::string why = sim::CheckInLabNamespace(); !why.empty()) {
        std::fprintf(stderr, "cpe-flood: refusing to run: %s\n", why.c_str());
        return 2;
    }
    platform::UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const int sendBuffer = 4 << 20;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_SNDBUFFORCE, &sendBuffer, sizeof sendBuffer);

    std::mt19937_64 random(options.seed);
    std::vector<flood::Datagram> mix = flood::MakeMix(random, kMixSize);

    struct Slot {
        sockaddr_in to;
        iovec data;
        alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> control;
    };
    std::vector<Slot> slots(kBatch);
    std::vector<mmsghdr> messages(kBatch);
    std::array<std::uint64_t, flood::kKinds> byKind{};
    std::array<std::uint64_t, flood::kPorts.size()> byPort{};
    std::uint64_t sent = 0, failed = 0;
    std::size_t next = 0;

    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(options.seconds);
    while (Clock::now() < end) {
        for (std::size_t i = 0; i < kBatch; ++i, ++next) {
            flood::Datagram& d = mix[next % mix.size()];
            if (d.deviceHeader)
                flood::VaryMac(d.bytes, random);
            const in_addr target = options.targets[next % options.targets.size()];
            Slot& slot = slots[i];
            slot.to = sockaddr_in{};
            slot.to.sin_family = AF_INET;
            slot.to.sin_port = htons(flood::kPorts[d.portIndex]);
            slot.to.sin_addr = target;
            slot.data = {d.bytes.data(), d.bytes.size()};
            msghdr& m = messages[i].msg_hdr;
            m = msghdr{};
            m.msg_name = &slot.to;
            m.msg_namelen = sizeof slot.to;
            m.msg_iov = &slot.data;
            m.msg_iovlen = 1;
            m.msg_control = slot.control.data();
            m.msg_controllen = slot.control.size();
            cmsghdr* c = CMSG_FIRSTHDR(&m);
            c->cmsg_level = IPPROTO_IP;
            c->cmsg_type = IP_PKTINFO;
            c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
            in_pktinfo info{};
            info.ipi_spec_dst = SpoofedSource(target, random);
            std::memcpy(CMSG_DATA(c), &info, sizeof info);
        }
        const int done = ::sendmmsg(fd.Get(), messages.data(), kBatch, 0);
        const std::size_t accepted = done > 0 ? static_cast<std::size_t>(done) : 0;
        for (std::size_t i = 0; i < accepted; ++i) {
            const flood::Datagram& d = mix[(next - kBatch + i) % mix.size()];
            ++byKind[static_cast<std::size_t>(d.kind)];
            ++byPort[d.portIndex];
        }
        sent += accepted;
        failed += kBatch - accepted;
        // Keep to the rate: ahead of it, wait until the clock catches up.
        const auto due = start + std::chrono::duration<double>(static_cast<double>(sent) / options.rate);
        if (due > Clock::now())
            std::this_thread::sleep_until(due);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::printf("{\"sent\":%llu,\"unsent\":%llu,\"seconds\":%.3f,\"rate\":%.0f,\"kinds\":{",
                static_cast<unsigned long long>(sent), static_cast<unsigned long long>(failed), seconds,
                static_cast<double>(sent) / seconds);
    for (std::size_t k = 0; k < flood::kKinds; ++k)
        std::printf("%s\"%s\":%llu", k ? "," : "", std::string(flood::KindName(static_cast<flood::Kind>(k))).c_str(),
                    static_cast<unsigned long long>(byKind[k]));
    std::printf("},\"ports\":{");
    for (std::size_t p = 0; p < flood::kPorts.size(); ++p)
        std::printf("%s\"%u\":%llu", p ? "," : "", flood::kPorts[p], static_cast<unsigned long long>(byPort[p]));
    std::printf("}}\n");
    return 0;
}
