// A TFTP client on loopback that the tests steer packet by packet.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/unique_fd.h"
#include "service/tftp_packet.h"

namespace cpe::service::test {

struct Received {
    TftpOpcode opcode;
    std::uint16_t number = 0;           // block or error code
    std::vector<std::uint8_t> payload;  // after the 4-byte header (OACK: after the opcode)
    std::uint16_t fromPort = 0;

    std::string Text() const { return std::string(payload.begin(), payload.end()); }
};

class TftpTestClient {
public:
    explicit TftpTestClient(std::uint16_t serverPort, const char* local = "127.0.0.1") : serverPort_(serverPort) {
        fd_.Reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        sockaddr_in self = Address(local, 0);
        ::bind(fd_.Get(), reinterpret_cast<const sockaddr*>(&self), sizeof self);
    }

    static std::vector<std::uint8_t> Request(TftpOpcode op, const std::string& file, const std::string& mode = "octet",
                                             const std::vector<std::pair<std::string, std::string>>& options = {}) {
        std::vector<std::uint8_t> out = {0, static_cast<std::uint8_t>(op)};
        auto text = [&](const std::string& s) {
            out.insert(out.end(), s.begin(), s.end());
            out.push_back(0);
        };
        text(file);
        text(mode);
        for (const auto& [name, value] : options) {
            text(name);
            text(value);
        }
        return out;
    }

    void SendTo(std::uint16_t port, const std::vector<std::uint8_t>& bytes) {
        const sockaddr_in to = Address("127.0.0.1", port);
        ::sendto(fd_.Get(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    void Read(const std::string& file, const std::vector<std::pair<std::string, std::string>>& options = {}) {
        SendTo(serverPort_, Request(TftpOpcode::kReadRequest, file, "octet", options));
    }
    void Ack(std::uint16_t transferPort, std::uint16_t block) {
        std::vector<std::uint8_t> ack(kTftpHeaderSize);
        WriteTftpHeader(ack.data(), TftpOpcode::kAck, block);
        SendTo(transferPort, ack);
    }

    std::optional<Received> Receive(std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        pollfd p{fd_.Get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0)
            return std::nullopt;
        std::vector<std::uint8_t> buffer(70000);
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n =
            ::recvfrom(fd_.Get(), buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 2)
            return std::nullopt;
        Received r;
        r.opcode = static_cast<TftpOpcode>(buffer[0] << 8 | buffer[1]);
        r.fromPort = ntohs(from.sin_port);
        const std::size_t skip = r.opcode == TftpOpcode::kOptionAck ? 2 : kTftpHeaderSize;
        if (r.opcode != TftpOpcode::kOptionAck && n >= 4)
            r.number = static_cast<std::uint16_t>(buffer[2] << 8 | buffer[3]);
        if (static_cast<std::size_t>(n) > skip)
            r.payload.assign(buffer.begin() + static_cast<std::ptrdiff_t>(skip), buffer.begin() + n);
        return r;
    }

    // The OACK's options, in order.
    static std::vector<std::pair<std::string, std::string>> Options(const Received& oack) {
        std::vector<std::pair<std::string, std::string>> out;
        std::vector<std::string> texts;
        std::string current;
        for (std::uint8_t b : oack.payload) {
            if (b == 0) {
                texts.push_back(current);
                current.clear();
            } else {
                current += static_cast<char>(b);
            }
        }
        for (std::size_t i = 0; i + 1 < texts.size(); i += 2)
            out.emplace_back(texts[i], texts[i + 1]);
        return out;
    }

    static sockaddr_in Address(const char* ip, std::uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, ip, &a.sin_addr);
        return a;
    }

private:
    platform::UniqueFd fd_;
    std::uint16_t serverPort_;
};

}  // namespace cpe::service::test
