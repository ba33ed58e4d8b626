// A loopback port that nobody uses right now, for a server a test starts.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

#include "platform/unique_fd.h"

namespace cpe::test {

// `type` is SOCK_DGRAM or SOCK_STREAM; 0 when the system gave none.
inline std::uint16_t FreeLoopbackPort(int type) {
    platform::UniqueFd fd(::socket(AF_INET, type, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return 0;
    return ntohs(a.sin_port);
}

}  // namespace cpe::test
