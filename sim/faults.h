// Fault injection on the simulator's side of the wire: lost, duplicated, delayed and reordered
// datagrams, and malformed ones that a careful receiver must throw away.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "protocol/wire.h"
#include "sim/sim_options.h"

namespace cpe::sim {

class FaultInjector {
public:
    FaultInjector(const FaultPlan& plan, std::uint64_t seed) : plan_(plan), rng_(seed ^ 0x5eedfa17ull) {}

    bool DropIncoming() { return Chance(plan_.lossIn); }
    // The delays at which copies of one outgoing datagram leave: none when it is lost, two when
    // it is duplicated. `base` is the sender's own delay.
    std::vector<Millis> Departures(Millis base);
    // A datagram the utility must throw away: too short, a bad magic, an unknown type, or a
    // record whose length field lies, from a MAC that belongs to no device.
    std::vector<std::uint8_t> Garbage(std::uint16_t model);
    std::mt19937_64& Rng() { return rng_; }

private:
    bool Chance(double p) { return p > 0 && std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    Millis OneDelay(Millis base);

    FaultPlan plan_;
    std::mt19937_64 rng_;
};

}  // namespace cpe::sim
