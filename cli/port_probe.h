// Whether another program holds one of the engine's local ports. The engine binds its sockets
// with address reuse, which lets a second program bind the same UDP port without an error and
// then quietly take part of the replies; so the ports are tried first without it, and a port
// another socket holds refuses the bind.
#pragma once

#include <optional>
#include <string>

#include "engine/net_management.h"

namespace cpe::cli {

// The first held port, said for the operator ("UDP port 9785 (search replies)"); nothing when
// every port is free.
std::optional<std::string> HeldPort(const EngineEndpoints& endpoints);

}  // namespace cpe::cli
