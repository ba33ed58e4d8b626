// Whether another program holds one of the engine's local ports, asked before the run makes its
// device store: a store is replaced when it is made, and the program on the ports may be another
// cpe-cli (of another runtime folder) whose store lies in the same program folder. The engine's
// own start finds the same ports held, but only once the store exists.
#pragma once

#include <optional>
#include <string>

#include "engine/net_management.h"

namespace cpe::cli {

// The first held port, said for the operator ("UDP port 9785 (search replies)"); nothing when
// every port is free.
std::optional<std::string> HeldPort(const EngineEndpoints& endpoints);

}  // namespace cpe::cli
