// The listening side of our cpp-httplib servers (the upgrade's file server, the exporter), written
// once. A template over the server type, so this folder neither includes nor links the library.
#pragma once

#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace cpe::platform {

// Address reuse for a quick restart, but no SO_REUSEPORT: a second server on the same port must
// fail to start rather than share the port unseen.
template <typename HttpServer>
void ReuseAddressOnly(HttpServer& server) {
    server.set_socket_options([](int sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
}

// Binds the server to address:port (port 0: the system chooses). Empty on success, with `bound`
// set to the port; else why not.
template <typename HttpServer>
std::string BindHttpServer(HttpServer& server, const std::string& address, std::uint16_t port, std::uint16_t& bound) {
    errno = 0;
    int got = port;
    if (port == 0) {
        got = server.bind_to_any_port(address);
    } else if (!server.bind_to_port(address, port)) {
        got = -1;
    }
    if (got <= 0) {
        const std::string why = errno != 0 ? std::strerror(errno) : "address not usable";
        return "cannot listen on " + address + ":" + std::to_string(port) + ": " + why;
    }
    bound = static_cast<std::uint16_t>(got);
    return {};
}

}  // namespace cpe::platform
