// A datagram the engine handed to its send hook, as tests record it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/net_management.h"

namespace cpe::test {

struct SentDatagram {
    SocketRole from;
    std::string ip;
    std::uint16_t port;
    std::uint16_t type;
    std::vector<std::uint8_t> payload;
};

}  // namespace cpe::test
