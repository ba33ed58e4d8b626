// Bytes sent to an HTTP server on loopback as a client would send them, well-formed or not: one
// connection, the request written whole, the answer read to its end. With `halfClose` the sending
// side is closed after the request, which ends a request that never ends by itself; a server that
// takes a half-closed client for gone (cpp-httplib) then answers nothing.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace cpe::test {

// The answer, or what came of it before the server went quiet for `quiet`.
inline std::string RawHttpExchange(std::uint16_t port, std::string_view request,
                                   std::chrono::milliseconds quiet = std::chrono::milliseconds(2000),
                                   bool halfClose = true) {
    platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
        return {};
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(fd.Get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    if (halfClose)
        ::shutdown(fd.Get(), SHUT_WR);
    std::string answer;
    char chunk[8192];
    pollfd p{fd.Get(), POLLIN, 0};
    while (::poll(&p, 1, static_cast<int>(quiet.count())) > 0) {
        const ssize_t n = ::recv(fd.Get(), chunk, sizeof chunk, 0);
        if (n <= 0)
            break;
        answer.append(chunk, static_cast<std::size_t>(n));
    }
    return answer;
}

}  // namespace cpe::test
