#include "cli/port_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>

#include "platform/unique_fd.h"

namespace cpe::cli {
namespace {

bool Held(const std::string& address, std::uint16_t port) {
    const platform::UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (!fd.Valid() || inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1)
        return false;  // the engine's own start reports these
    return ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 && errno == EADDRINUSE;
}

}  // namespace

std::optional<std::string> HeldPort(const EngineEndpoints& endpoints) {
    const struct {
        std::uint16_t port;
        const char* purpose;
    } ports[] = {
        {endpoints.discoveryPort, "discovery"},
        {endpoints.searchReplyPort, "search replies"},
        {endpoints.heartbeatPort, "heartbeats"},
        {endpoints.requestPort, "requests"},
    };
    for (const auto& p : ports)
        if (p.port != 0 && Held(endpoints.bindAddress, p.port))
            return "UDP port " + std::to_string(p.port) + " (" + p.purpose + ")";
    return std::nullopt;
}

}  // namespace cpe::cli
