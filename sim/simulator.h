// The running simulator: two UDP sockets that serve every device address (IP_PKTINFO tells which
// address a datagram was sent to and chooses the address a reply leaves from), one event loop
// thread that owns the device network, a few threads that fetch firmware, and the control socket.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/device_network.h"
#include "sim/faults.h"
#include "sim/sim_options.h"

namespace cpe::sim {

struct SimStats {
    std::uint64_t received = 0;   // datagrams read from the sockets
    std::uint64_t droppedIn = 0;  // ignored by fault injection
    std::uint64_t refused = 0;    // from outside loopback while confined to it
    std::uint64_t sent = 0;
    std::uint64_t droppedOut = 0;  // lost by fault injection
    std::uint64_t duplicated = 0;
    std::uint64_t sendErrors = 0;
    std::uint64_t garbage = 0;
};

class Simulator {
public:
    explicit Simulator(SimOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Checks where it runs, binds the sockets and the control socket. Empty, or why not.
    std::string Open();
    // Serves until RequestStop.
    void Run();
    // Safe from a signal handler and from any thread.
    void RequestStop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace cpe::sim
