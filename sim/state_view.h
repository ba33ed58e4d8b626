// The machine-readable view of the simulated network served on the control socket: one JSON
// object per device with what it holds and what it received, and the traffic counters.
#pragma once

#include <string>

#include "sim/device_network.h"
#include "sim/simulator.h"

namespace cpe::sim {

std::string DeviceJson(const SimDevice& device, Clock::time_point now);
std::string StatsJson(const SimStats& stats, std::uint64_t rejected);
std::string DumpJson(const DeviceNetwork& network, const SimStats& stats, Clock::time_point now);

// The UDP error counters of this network namespace ("RcvbufErrors" and so on), from /proc.
std::string KernelUdpCountersJson();

}  // namespace cpe::sim
