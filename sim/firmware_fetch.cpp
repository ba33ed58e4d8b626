#include "sim/firmware_fetch.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <httplib.h>
#include <vector>

namespace cpe::sim {
namespace {

enum TftpOp : std::uint16_t { kRrq = 1, kData = 3, kAck = 4, kError = 5, kOack = 6 };
constexpr std::size_t kDefaultBlockSize = 512;
constexpr std::size_t kMaxBlockSize = 65464;

sockaddr_in SockAddr(Ipv4 ip, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(ip);
    a.sin_port = htons(port);
    return a;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::uint16_t Be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

std::vector<std::uint8_t> TftpPacket(std::uint16_t op, std::uint16_t value) {
    return {static_cast<std::uint8_t>(op >> 8), static_cast<std::uint8_t>(op), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

FetchResult Failed(std::string why) {
    FetchResult r;
    r.error = std::move(why);
    return r;
}

}  // namespace

std::uint64_t Fnv1a(std::uint64_t hash, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

FetchResult TftpFetch(Ipv4 local, Endpoint server, const std::string& file, const FetchLimits& limits) {
    Fd sock(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (sock.get() < 0)
        return Failed("socket");
    const sockaddr_in self = SockAddr(local, 0);
    if (::bind(sock.get(), reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0)
        return Failed(std::string("bind: ") + std::strerror(errno));

    std::vector<std::uint8_t> last = {0, kRrq};
    auto append = [&last](const std::string& t) {
        last.insert(last.end(), t.begin(), t.end());
        last.push_back(0);
    };
    append(file);
    append("octet");
    if (limits.blockSize != kDefaultBlockSize) {
        append("blksize");
        append(std::to_string(limits.blockSize));
    }
    if (limits.windowSize > 1) {
        append("windowsize");
        append(std::to_string(limits.windowSize));
    }
    // What the server agreed to; plain RFC 1350 until an OACK says otherwise.
    std::size_t blockSize = kDefaultBlockSize;
    std::size_t windowSize = 1;
    std::size_t inWindow = 0;
    bool gapReported = false;
    sockaddr_in peer = SockAddr(server.ip, server.port);
    bool locked = false;  // the server answers from its own transfer port; we stick to it
    std::uint16_t expected = 1;
    FetchResult result;
    result.fnv1a = kFnvOffset;
    int silent = 0;
    std::vector<std::uint8_t> buffer(4 + kMaxBlockSize + 64);
    std::uint8_t* buf = buffer.data();
    auto send = [&](const std::vector<std::uint8_t>& packet) {
        ::sendto(sock.get(), packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    };
    send(last);
    for (;;) {
        pollfd p{sock.get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limits.retransmit.count())) <= 0) {
            if (++silent >= limits.attempts)
                return Failed("tftp timeout");
            send(last);
            continue;
        }
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(sock.get(), buf, buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 2 || from.sin_addr.s_addr != peer.sin_addr.s_addr)
            continue;
        if (locked && from.sin_port != peer.sin_port) {
            const auto err = TftpPacket(kError, 5);  // unknown transfer ID
            ::sendto(sock.get(), err.data(), err.size(), 0, reinterpret_cast<const sockaddr*>(&from), fromLen);
            continue;
        }
        const std::uint16_t op = Be16(buf);
        if (op == kOack && !locked) {
            // name\0value\0 pairs: take the block and window sizes the server accepted.
            std::vector<std::string> texts;
            std::string current;
            for (ssize_t i = 2; i < n; ++i) {
                if (buf[i] == 0) {
                    texts.push_back(current);
                    current.clear();
                } else {
                    current += static_cast<char>(std::tolower(buf[i]));
                }
            }
            for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
                const unsigned long value = std::strtoul(texts[i + 1].c_str(), nullptr, 10);
                if (texts[i] == "blksize" && value >= 8 && value <= kMaxBlockSize)
                    blockSize = value;
                if (texts[i] == "windowsize" && value >= 1 && value <= 65535)
                    windowSize = value;
            }
            peer.sin_port = from.sin_port;
            locked = true;
            silent = 0;
            last = TftpPacket(kAck, 0);
            send(last);
            continue;
        }
        if (op == kOack) {  // repeated because our ACK of it was lost
            if (expected == 1)
                send(TftpPacket(kAck, 0));
            continue;
        }
        if (n < 4)
            continue;
        if (op == kError) {
            const auto* text = reinterpret_cast<const char*>(buf + 4);
            return Failed("tftp error " + std::to_string(Be16(buf + 2)) + ": " +
                          std::string(text, strnlen(text, static_cast<std::size_t>(n) - 4)));
        }
        if (op != kData || static_cast<std::size_t>(n) > 4 + blockSize)
            continue;
        if (!locked) {
            peer.sin_port = from.sin_port;
            locked = true;
        }
        const std::uint16_t block = Be16(buf + 2);
        if (block != expected) {
            // The server repeats a block when our ACK was lost: acknowledge it again. In a window,
            // a block out of order means one was lost: say once where we are.
            if (windowSize == 1 && block == static_cast<std::uint16_t>(expected - 1))
                send(TftpPacket(kAck, block));
            if (windowSize > 1 && !gapReported) {
                gapReported = true;
                inWindow = 0;
                send(TftpPacket(kAck, static_cast<std::uint16_t>(expected - 1)));
            }
            continue;
        }
        silent = 0;
        gapReported = false;
        const std::size_t size = static_cast<std::size_t>(n) - 4;
        result.bytes += size;
        if (result.bytes > limits.maxBytes)
            return Failed("image too large");
        result.fnv1a = Fnv1a(result.fnv1a, buf + 4, size);
        last = TftpPacket(kAck, block);
        const bool final = size < blockSize;
        if (++inWindow == windowSize || final) {
            inWindow = 0;
            send(last);
        }
        expected = static_cast<std::uint16_t>(expected + 1);
        if (final) {
            result.ok = true;
            return result;
        }
    }
}

std::string UrlPathOf(const std::string& file) {
    static const char* hex = "0123456789ABCDEF";
    std::string out = "/";
    for (unsigned char c : file) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

FetchResult HttpFetch(Ipv4 local, Endpoint server, const std::string& file, const FetchLimits& limits) {
    httplib::Client client(Ipv4Text(server.ip), server.port);
    client.set_connection_timeout(limits.httpTimeout);
    client.set_read_timeout(limits.httpTimeout);
    client.set_socket_options([local](socket_t sock) {
        // Fetch from the device's own address, as the real device would.
        const sockaddr_in self = SockAddr(local, 0);
        ::bind(sock, reinterpret_cast<const sockaddr*>(&self), sizeof self);
    });
    FetchResult result;
    result.fnv1a = kFnvOffset;
    bool tooLarge = false;
    auto response = client.Get(UrlPathOf(file), [&](const char* data, std::size_t size) {
        result.bytes += size;
        if (result.bytes > limits.maxBytes) {
            tooLarge = true;
            return false;
        }
        result.fnv1a = Fnv1a(result.fnv1a, reinterpret_cast<const std::uint8_t*>(data), size);
        return true;
    });
    if (tooLarge)
        return Failed("image too large");
    if (!response)
        return Failed("http: " + httplib::to_string(response.error()));
    if (response->status != 200)
        return Failed("http status " + std::to_string(response->status));
    result.ok = true;
    return result;
}

FetchResult Fetch(const FetchRequest& request, const FetchLimits& limits) {
    return request.protocol == FetchProtocol::kHttp ? HttpFetch(request.local, request.server, request.file, limits)
                                                    : TftpFetch(request.local, request.server, request.file, limits);
}

}  // namespace cpe::sim
