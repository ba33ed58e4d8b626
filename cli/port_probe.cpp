#include "cli/port_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <utility>

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
    const std::pair<std::uint16_t, SocketRole> ports[] = {
        {endpoints.discoveryPort, SocketRole::kDiscovery},
        {endpoints.searchReplyPort, SocketRole::kSearchReply},
        {endpoints.heartbeatPort, SocketRole::kHeartbeat},
        {endpoints.requestPort, SocketRole::kRequest},
    };
    for (const auto& [port, role] : ports)
        if (port != 0 && Held(endpoints.bindAddress, port))
            return "UDP port " + std::to_string(port) + " (" + std::string(SocketPurpose(role)) + ")";
    return std::nullopt;
}

}  // namespace cpe::cli
