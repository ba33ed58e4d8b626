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
#include <optional>
#include <vector>

#include "protocol/file_transfer.h"

namespace cpe::sim {
namespace {

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

std::vector<std::uint8_t> TftpPacket(TftpOpcode opcode, std::uint16_t value) {
    const auto op = static_cast<std::uint16_t>(opcode);
    return {static_cast<std::uint8_t>(op >> 8), static_cast<std::uint8_t>(op), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

FetchResult Failed(std::string why) {
    FetchResult r;
    r.error = std::move(why);
    return r;
}

// The read request: the file in octet mode, asking for the block and window sizes only where
// they differ from plain RFC 1350.
std::vector<std::uint8_t> ReadRequest(const std::string& file, const FetchLimits& limits) {
    std::vector<std::uint8_t> request = {0, static_cast<std::uint8_t>(TftpOpcode::kReadRequest)};
    auto append = [&request](const std::string& t) {
        request.insert(request.end(), t.begin(), t.end());
        request.push_back(0);
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
    return request;
}

struct TransferSizes {
    std::size_t blockSize = kDefaultBlockSize;
    std::size_t windowSize = 1;
};

// The sizes an option acknowledgement (opcode, then name\0value\0 pairs) accepts; what it leaves
// out or names out of range stays at plain RFC 1350.
TransferSizes ReadOptionAck(const std::uint8_t* packet, std::size_t size) {
    std::vector<std::string> texts;
    std::string current;
    for (std::size_t i = 2; i < size; ++i) {
        if (packet[i] == 0) {
            texts.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(std::tolower(packet[i]));
        }
    }
    TransferSizes sizes;
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
        const unsigned long value = std::strtoul(texts[i + 1].c_str(), nullptr, 10);
        if (texts[i] == "blksize" && value >= 8 && value <= kMaxBlockSize)
            sizes.blockSize = value;
        if (texts[i] == "windowsize" && value >= 1 && value <= 65535)
            sizes.windowSize = value;
    }
    return sizes;
}

// One read transfer on a bound socket: sends the request, takes the server's option
// acknowledgement, then acknowledges data blocks (each, or each window) until a short one ends
// the image. The last packet sent goes again whenever the server stays silent for a period.
class TftpReceiver {
public:
    TftpReceiver(int sock, Endpoint server, const FetchLimits& limits)
        : sock_(sock), peer_(SockAddr(server.ip, server.port)), limits_(limits), buffer_(4 + kMaxBlockSize + 64) {
        result_.fnv1a = kFnvOffset;
    }

    FetchResult Run(std::vector<std::uint8_t> request) {
        last_ = std::move(request);
        Send(last_);
        for (;;) {
            pollfd p{sock_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(limits_.retransmit.count())) <= 0) {
                if (++silent_ >= limits_.attempts)
                    return Failed("tftp timeout");
                Send(last_);
                continue;
            }
            if (auto done = Receive())
                return *std::move(done);
        }
    }

private:
    // One datagram; a result once the transfer has ended either way.
    std::optional<FetchResult> Receive() {
        std::uint8_t* buf = buffer_.data();
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(sock_, buf, buffer_.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 2 || from.sin_addr.s_addr != peer_.sin_addr.s_addr)
            return std::nullopt;
        if (locked_ && from.sin_port != peer_.sin_port) {
            const auto err = TftpPacket(TftpOpcode::kError, static_cast<std::uint16_t>(TftpError::kUnknownTransferId));
            ::sendto(sock_, err.data(), err.size(), 0, reinterpret_cast<const sockaddr*>(&from), fromLen);
            return std::nullopt;
        }
        const auto size = static_cast<std::size_t>(n);
        const auto op = static_cast<TftpOpcode>(Be16(buf));
        if (op == TftpOpcode::kOptionAck) {
            OnOptionAck(buf, size, from);
            return std::nullopt;
        }
        if (size < 4)
            return std::nullopt;
        if (op == TftpOpcode::kError) {
            const auto* text = reinterpret_cast<const char*>(buf + 4);
            return Failed("tftp error " + std::to_string(Be16(buf + 2)) + ": " +
                          std::string(text, strnlen(text, size - 4)));
        }
        if (op != TftpOpcode::kData || size > 4 + sizes_.blockSize)
            return std::nullopt;
        if (!locked_)
            LockTo(from);
        return OnData(Be16(buf + 2), buf + 4, size - 4);
    }

    void OnOptionAck(const std::uint8_t* packet, std::size_t size, const sockaddr_in& from) {
        if (locked_) {  // repeated because our ACK of it was lost
            if (expected_ == 1)
                Send(TftpPacket(TftpOpcode::kAck, 0));
            return;
        }
        sizes_ = ReadOptionAck(packet, size);
        LockTo(from);
        silent_ = 0;
        last_ = TftpPacket(TftpOpcode::kAck, 0);
        Send(last_);
    }

    std::optional<FetchResult> OnData(std::uint16_t block, const std::uint8_t* data, std::size_t size) {
        if (block != expected_) {
            // The server repeats a block when our ACK was lost: acknowledge it again. In a window,
            // a block out of order means one was lost: say once where we are.
            if (sizes_.windowSize == 1 && block == static_cast<std::uint16_t>(expected_ - 1))
                Send(TftpPacket(TftpOpcode::kAck, block));
            if (sizes_.windowSize > 1 && !gapReported_) {
                gapReported_ = true;
                inWindow_ = 0;
                Send(TftpPacket(TftpOpcode::kAck, static_cast<std::uint16_t>(expected_ - 1)));
            }
            return std::nullopt;
        }
        silent_ = 0;
        gapReported_ = false;
        result_.bytes += size;
        if (result_.bytes > limits_.maxBytes)
            return Failed("image too large");
        result_.fnv1a = Fnv1a(result_.fnv1a, data, size);
        last_ = TftpPacket(TftpOpcode::kAck, block);
        const bool final = size < sizes_.blockSize;
        if (++inWindow_ == sizes_.windowSize || final) {
            inWindow_ = 0;
            Send(last_);
        }
        expected_ = static_cast<std::uint16_t>(expected_ + 1);
        if (!final)
            return std::nullopt;
        result_.ok = true;
        return result_;
    }

    // The server answers from its own transfer port; the rest of the transfer sticks to it.
    void LockTo(const sockaddr_in& from) {
        peer_.sin_port = from.sin_port;
        locked_ = true;
    }

    void Send(const std::vector<std::uint8_t>& packet) {
        ::sendto(sock_, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_);
    }

    int sock_;
    sockaddr_in peer_;
    const FetchLimits& limits_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> last_;
    TransferSizes sizes_;  // plain RFC 1350 until an OACK says otherwise
    bool locked_ = false;
    std::uint16_t expected_ = 1;
    std::size_t inWindow_ = 0;
    bool gapReported_ = false;
    int silent_ = 0;
    FetchResult result_;
};

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
    return TftpReceiver(sock.get(), server, limits).Run(ReadRequest(file, limits));
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
