// The client side of the simulator's control socket, for tests, benchmarks and tools.
// Requests: "dump", "stats", "device MAC", "stop MAC", "start MAC", "quit".
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "sim/json.h"

namespace cpe::sim {

std::optional<std::string> ControlRequest(const std::string& socketPath, const std::string& request,
                                          std::chrono::milliseconds timeout = std::chrono::seconds(5));
std::optional<JsonValue> ControlJson(const std::string& socketPath, const std::string& request,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace cpe::sim
