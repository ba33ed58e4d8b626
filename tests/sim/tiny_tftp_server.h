// A TFTP server good for one read of one file (RFC 1350, octet mode), for tests of the
// simulator's firmware fetch. It answers from a fresh transfer port, resends a block whose ACK
// does not come, and can ignore the first ACK of one block to force such a resend.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace cpe::sim::test_support {

inline int UdpSocketOn(std::uint32_t hostOrderIp, std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(hostOrderIp);
    a.sin_port = htons(port);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return fd;
}

inline std::uint16_t LocalPortOf(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

class TinyTftpServer {
public:
    TinyTftpServer(std::vector<std::uint8_t> image, std::string file, int ignoreAckOf = 0,
                   std::uint32_t bindIp = INADDR_LOOPBACK, std::uint16_t port = 0)
        : image_(std::move(image)),
          file_(std::move(file)),
          ignoreAckOf_(ignoreAckOf),
          bindIp_(bindIp),
          listen_(UdpSocketOn(bindIp, port)) {
        thread_ = std::thread([this] { Serve(); });
    }
    ~TinyTftpServer() {
        thread_.join();
        ::close(listen_);
    }
    TinyTftpServer(const TinyTftpServer&) = delete;
    TinyTftpServer& operator=(const TinyTftpServer&) = delete;
    std::uint16_t Port() const { return LocalPortOf(listen_); }

private:
    void Serve() {
        std::uint8_t buf[600] = {};
        sockaddr_in client{};
        socklen_t len = sizeof client;
        pollfd p{listen_, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0)
            return;
        const ssize_t n = ::recvfrom(listen_, buf, sizeof buf - 1, 0, reinterpret_cast<sockaddr*>(&client), &len);
        const int tid = UdpSocketOn(bindIp_, 0);
        auto sendTo = [&](const std::vector<std::uint8_t>& d) {
            ::sendto(tid, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&client), len);
        };
        const std::string file(reinterpret_cast<const char*>(buf + 2));
        if (n < 4 || buf[1] != 1 || file != file_) {
            std::vector<std::uint8_t> err = {0, 5, 0, 1};
            for (char c : std::string("File not found"))
                err.push_back(static_cast<std::uint8_t>(c));
            err.push_back(0);
            sendTo(err);
            ::close(tid);
            return;
        }
        bool ignored = false;
        for (std::size_t block = 1;; ++block) {
            const std::size_t begin = (block - 1) * 512;
            const std::size_t size = std::min<std::size_t>(512, image_.size() - std::min(image_.size(), begin));
            std::vector<std::uint8_t> data = {0, 3, static_cast<std::uint8_t>(block >> 8),
                                              static_cast<std::uint8_t>(block)};
            data.insert(data.end(), image_.begin() + static_cast<std::ptrdiff_t>(begin),
                        image_.begin() + static_cast<std::ptrdiff_t>(begin + size));
            for (int attempt = 0; attempt < 20; ++attempt) {
                sendTo(data);
                pollfd q{tid, POLLIN, 0};
                if (::poll(&q, 1, 300) <= 0)
                    continue;
                std::uint8_t ack[16];
                if (::recv(tid, ack, sizeof ack, 0) < 4 || ack[1] != 4)
                    continue;
                if (static_cast<std::size_t>(ack[2] << 8 | ack[3]) != block)
                    continue;
                if (static_cast<int>(block) == ignoreAckOf_ && !ignored) {
                    ignored = true;
                    continue;
                }
                break;
            }
            if (size < 512)
                break;
        }
        ::close(tid);
    }

    std::vector<std::uint8_t> image_;
    std::string file_;
    int ignoreAckOf_;
    std::uint32_t bindIp_;
    int listen_;
    std::thread thread_;
};

}  // namespace cpe::sim::test_support
