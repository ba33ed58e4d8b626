#include "sim/control_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace cpe::sim {

std::optional<std::string> ControlRequest(const std::string& socketPath, const std::string& request,
                                          std::chrono::milliseconds timeout) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof a.sun_path)
        return std::nullopt;
    std::memcpy(a.sun_path, socketPath.c_str(), socketPath.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> reply;
    const std::string line = request + "\n";
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
        std::string data;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            char buf[65536];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            data.append(buf, static_cast<std::size_t>(n));
            if (!data.empty() && data.back() == '\n') {
                data.pop_back();
                reply = std::move(data);
                break;
            }
        }
    }
    ::close(fd);
    return reply;
}

std::optional<JsonValue> ControlJson(const std::string& socketPath, const std::string& request,
                                     std::chrono::milliseconds timeout) {
    const auto text = ControlRequest(socketPath, request, timeout);
    if (!text)
        return std::nullopt;
    return ParseJson(*text);
}

}  // namespace cpe::sim
