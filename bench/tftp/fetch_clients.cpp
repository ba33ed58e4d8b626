// The benchmark's load: N simulated devices fetch one file at the same moment, each from its own
// address, with the simulator's own TFTP or HTTP client. Prints the wall time from the common
// start to the last byte and checks every copy against the file.
//
//   tftp_bench_clients --server IP --port P --file NAME --expect PATH --clients N --local-base IP
//                      [--protocol tftp|http] [--blksize B] [--windowsize W]
//
// With --abandon N instead of --clients, N devices from the addresses after the first 100 ask for
// the file and then vanish: they never answer, and this program waits until it is ended.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <barrier>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "sim/address.h"
#include "sim/firmware_fetch.h"

namespace {

[[noreturn]] void AskAndVanish(cpe::sim::Ipv4 base, int count, cpe::sim::Ipv4 server, std::uint16_t port,
                               const std::string& file) {
    std::string request = std::string("\0\1", 2) + file + '\0' + "octet" + '\0';
    std::vector<int> sockets;
    for (int i = 0; i < count; ++i) {
        sockaddr_in self{}, to{};
        self.sin_family = to.sin_family = AF_INET;
        self.sin_addr.s_addr = htonl(base + 100 + static_cast<cpe::sim::Ipv4>(i));
        to.sin_addr.s_addr = htonl(server);
        to.sin_port = htons(port);
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        ::bind(fd, reinterpret_cast<const sockaddr*>(&self), sizeof self);
        ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        sockets.push_back(fd);  // kept open: a vanished device sends no port-unreachable either
    }
    for (;;)
        ::pause();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace cpe::sim;
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2)
        args[argv[i]] = argv[i + 1];
    const auto server = ParseIpv4(args["--server"]);
    const auto base = ParseIpv4(args["--local-base"]);
    if (!server || !base || args["--file"].empty() || args["--expect"].empty()) {
        std::fprintf(stderr, "tftp_bench_clients: bad arguments\n");
        return 2;
    }
    std::ifstream in(args["--expect"], std::ios::binary);
    if (args.count("--abandon"))
        AskAndVanish(*base, std::stoi(args["--abandon"]), *server,
                     static_cast<std::uint16_t>(std::stoi(args["--port"])), args["--file"]);
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::uint64_t hash = Fnv1a(kFnvOffset, image.data(), image.size());
    const int clients = std::stoi(args["--clients"]);
    const bool http = args["--protocol"] == "http";
    FetchLimits limits;
    limits.maxBytes = image.size() + 1;
    if (args.count("--blksize"))
        limits.blockSize = static_cast<std::uint16_t>(std::stoi(args["--blksize"]));
    if (args.count("--windowsize"))
        limits.windowSize = static_cast<std::uint16_t>(std::stoi(args["--windowsize"]));
    const Endpoint endpoint{*server, static_cast<std::uint16_t>(std::stoi(args["--port"]))};

    std::vector<FetchResult> results(static_cast<std::size_t>(clients));
    std::barrier start(clients + 1);
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            const Ipv4 local = *base + static_cast<Ipv4>(i);
            results[static_cast<std::size_t>(i)] = http ? HttpFetch(local, endpoint, args["--file"], limits)
                                                        : TftpFetch(local, endpoint, args["--file"], limits);
        });
    start.arrive_and_wait();
    const auto begin = std::chrono::steady_clock::now();
    for (auto& t : threads)
        t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    int good = 0;
    for (const auto& r : results) {
        if (r.ok && r.bytes == image.size() && r.fnv1a == hash) {
            ++good;
        } else {
            std::fprintf(stderr, "tftp_bench_clients: fetch failed: %s (%llu bytes)\n", r.error.c_str(),
                         static_cast<unsigned long long>(r.bytes));
        }
    }
    std::printf("%.6f %d\n", seconds, good);
    return good == clients ? 0 : 1;
}
