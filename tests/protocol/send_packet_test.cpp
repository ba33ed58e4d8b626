// SendPacket over real UDP sockets, on loopback only.
#include "protocol/packet.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace cpe {
namespace {

class UdpSocket {
public:
    UdpSocket() : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~UdpSocket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    int fd() const { return fd_; }

    // Binds to 127.0.0.1 on a free port and returns it.
    std::uint16_t BindLoopback() {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            return 0;
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        timeval timeout{2, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        return ntohs(addr.sin_port);
    }

    std::vector<std::uint8_t> Receive() {
        std::vector<std::uint8_t> buffer(4096);
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
        buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return buffer;
    }

private:
    int fd_;
};

class SendPacketTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(sender.fd(), 0);
        ASSERT_GE(receiver.fd(), 0);
        port = receiver.BindLoopback();
        ASSERT_NE(port, 0);
    }

    static constexpr std::uint8_t kKey = 0xC1;
    UdpSocket sender;
    UdpSocket receiver;
    std::uint16_t port = 0;
};

TEST_F(SendPacketTest, RequestWithoutPayloadIsSixteenBytes) {
    ASSERT_TRUE(SendPacket(kKey, sender.fd(), "127.0.0.1", port, MessageType::reboot, nullptr, 0));
    const std::vector<std::uint8_t> expected{0x86, 0x17, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(receiver.Receive(), expected);
}

TEST_F(SendPacketTest, PayloadTravelsScrambledAndTheCallersBufferStays) {
    std::uint8_t payload[] = {0x00, 0x01, kKey, 0x80, 0xFF};
    ASSERT_TRUE(SendPacket(kKey, sender.fd(), "127.0.0.1", port, MessageType::set_vlan, payload, sizeof payload));
    const auto datagram = receiver.Receive();
    ASSERT_EQ(datagram.size(), 21u);
    EXPECT_EQ(datagram[4], 13);
    EXPECT_EQ(datagram[14], 5);
    const std::vector<std::uint8_t> onWire(datagram.begin() + 16, datagram.end());
    EXPECT_EQ(onWire, (std::vector<std::uint8_t>{0x00, 0xC0, 0x00, 0x41, 0x3E}));
    EXPECT_EQ(ReadPayload(kKey, datagram), (std::vector<std::uint8_t>{0x00, 0x01, 0x00, 0x80, 0xFF}));
    EXPECT_EQ(payload[2], kKey);
}

TEST_F(SendPacketTest, LargestPayloadGivesTheLargestDatagram) {
    const std::vector<std::uint8_t> payload(kMaxPayload, 0x42);
    ASSERT_TRUE(SendPacket(kKey, sender.fd(), "127.0.0.1", port, MessageType::upgrade, payload.data(), payload.size()));
    const auto datagram = receiver.Receive();
    EXPECT_EQ(datagram.size(), kMaxDatagram);
    EXPECT_TRUE(ParsePacketHeader(datagram));
    EXPECT_EQ(ReadPayload(kKey, datagram), payload);
}

TEST_F(SendPacketTest, RefusesWhatCannotBeSent) {
    const std::vector<std::uint8_t> tooLong(kMaxPayload + 1, 1);
    EXPECT_FALSE(
        SendPacket(kKey, sender.fd(), "127.0.0.1", port, MessageType::upgrade, tooLong.data(), tooLong.size()));
    EXPECT_FALSE(SendPacket(kKey, -1, "127.0.0.1", port, MessageType::search, nullptr, 0));
    EXPECT_FALSE(SendPacket(kKey, sender.fd(), "127.0.0.1", port, MessageType::set_name, nullptr, 33));
    // Texts that are not a dotted quad are refused rather than read as some other address.
    for (const char* bad : {"", "127.0.0", "127.0.0.1.5", "localhost", "127.0.0.256", "0x7f.0.0.1"})
        EXPECT_FALSE(SendPacket(kKey, sender.fd(), bad, port, MessageType::search, nullptr, 0)) << bad;

    // The receiver got nothing from any of these.
    timeval shortWait{0, 100000};
    ::setsockopt(receiver.fd(), SOL_SOCKET, SO_RCVTIMEO, &shortWait, sizeof shortWait);
    EXPECT_TRUE(receiver.Receive().empty());
}

TEST_F(SendPacketTest, BroadcastNeedsThePermissionOfTheSocket) {
    // The socket is tied to the loopback device so that nothing could reach a real network even
    // if the kernel let the datagram go; it refuses with EACCES before building it.
    const char lo[] = "lo";
    if (::setsockopt(sender.fd(), SOL_SOCKET, SO_BINDTODEVICE, lo, sizeof lo) != 0)
        GTEST_SKIP() << "cannot tie the socket to the loopback device: " << std::strerror(errno);
    int broadcast = 0;
    ::setsockopt(sender.fd(), SOL_SOCKET, SO_BROADCAST, &broadcast, sizeof broadcast);

    errno = 0;
    EXPECT_FALSE(SendPacket(kKey, sender.fd(), "255.255.255.255", port, MessageType::search, nullptr, 0));
    EXPECT_EQ(errno, EACCES);
}

}  // namespace
}  // namespace cpe
