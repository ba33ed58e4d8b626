// The engine on real sockets, on loopback only: receive filters per port, the search and
// heartbeat round trips, start failure and shutdown time. Ports are chosen by the system. Waits
// for something expected are long: they end when it comes, and a loaded machine may be slow.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "tests/engine/engine_harness.h"

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kLoopback = "127.0.0.1";

class UdpPeer {
public:
    explicit UdpPeer(bool reuse = true) {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        const int one = 1;
        if (reuse)
            setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a = Sender(kLoopback, 0);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t size = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size);
        port_ = ntohs(a.sin_port);
    }
    ~UdpPeer() { close(fd_); }
    std::uint16_t port() const { return port_; }

    void SendTo(std::uint16_t port, std::span<const std::uint8_t> bytes) const {
        const sockaddr_in to = Sender(kLoopback, port);
        sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

    struct Datagram {
        std::vector<std::uint8_t> bytes;
        std::uint16_t fromPort;
    };
    std::optional<Datagram> Receive(std::chrono::milliseconds timeout = 10s) const {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
            return std::nullopt;
        Datagram d{std::vector<std::uint8_t>(2048), 0};
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t n = recvfrom(fd_, d.bytes.data(), d.bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
        d.bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        d.fromPort = ntohs(from.sin_port);
        return d;
    }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

template <typename Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class LoopbackEngine : public ::testing::Test {
protected:
    LoopbackEngine() {
        EngineConfig config;
        config.endpoints = {kLoopback, 0, 0, 0, 0, device.port(), device.port()};
        config.adapters = std::make_shared<StaticAdapterSource>(
            std::vector<adapter_record>{MakeAdapterRecord("test0", Mac(0xee), {{kLoopback, "255.255.255.255"}})});
        store = std::make_unique<CSqlManagement>(dir / "data.db");
        engine = std::make_unique<CNetManagement>(*store, config);
    }

    std::uint16_t Port(SocketRole role) { return engine->LocalPort(role); }
    std::vector<std::uint8_t> FromDevice(MessageType type, std::span<const std::uint8_t> payload = {},
                                         std::uint8_t macLast = 1) {
        return BuildDevicePacket(engine->PayloadKey(), 1, Mac(macLast), type, payload);
    }

    UdpPeer device;
    TempDir dir;
    std::unique_ptr<CSqlManagement> store;
    std::unique_ptr<CNetManagement> engine;
};

TEST_F(LoopbackEngine, ReceiveFiltersBySizeMagicAndPortType) {
    ASSERT_TRUE(engine->Start());
    const std::uint16_t replies = Port(SocketRole::kSearchReply);
    const std::uint16_t heartbeats = Port(SocketRole::kHeartbeat);
    const std::uint16_t requests = Port(SocketRole::kRequest);
    ASSERT_NE(replies, 0);

    auto search = FromDevice(MessageType::search);
    device.SendTo(replies, std::span(search).first(15));  // too short
    auto badMagic = search;
    badMagic[0] ^= 1;
    device.SendTo(replies, badMagic);
    device.SendTo(heartbeats, badMagic);
    device.SendTo(requests, badMagic);
    device.SendTo(replies, FromDevice(MessageType::get_info));  // wrong type for the port
    device.SendTo(heartbeats, FromDevice(MessageType::search));
    std::vector<std::uint8_t> oversized(kMaxDatagram + 1, 0);
    std::copy(search.begin(), search.end(), oversized.begin());
    device.SendTo(requests, oversized);
    device.SendTo(requests, FromDevice(MessageType::get_info));  // any type on the request port

    ASSERT_TRUE(WaitFor([&] {
        const auto c = engine->Counters();
        return c.rejected[0] == 3 && c.rejected[1] == 2 && c.rejected[2] == 2;
    })) << "rejected: "
        << engine->Counters().rejected[0] << " " << engine->Counters().rejected[1] << " "
        << engine->Counters().rejected[2];

    // A bare 16-byte search reply is accepted and answered with search + get_info.
    device.SendTo(replies, search);
    ASSERT_TRUE(WaitFor([&] { return engine->OnlineList().size() == 1; }));
    for (MessageType expected : {MessageType::search, MessageType::get_info}) {
        const auto d = device.Receive();
        ASSERT_TRUE(d);
        EXPECT_EQ(d->fromPort, requests);
        EXPECT_EQ(d->bytes, BuildPacket(engine->PayloadKey(), expected, {}));
    }
    EXPECT_EQ(engine->Counters().dropped, (std::array<std::uint64_t, 3>{}));
}

TEST_F(LoopbackEngine, DeviceIsIdentifiedAndItsHeartbeatsAcknowledged) {
    ASSERT_TRUE(engine->Start());
    device.SendTo(Port(SocketRole::kSearchReply), FromDevice(MessageType::search, BytesOf(Summary("V1"))));
    ASSERT_TRUE(device.Receive());
    ASSERT_TRUE(device.Receive());

    device.SendTo(Port(SocketRole::kRequest),
                  FromDevice(MessageType::get_info, GetInfoPayload(DeviceRecord(kLoopback))));
    ASSERT_TRUE(WaitFor([&] {
        const auto list = engine->OnlineList();
        return !list.empty() && list[0].state == COnlineList::kStateIdentified;
    }));
    // The list marks the device identified just before the record reaches the store; a heartbeat
    // in between would be acknowledged but find no row to update.
    ap_info_stu row;
    ASSERT_TRUE(WaitFor([&] { return store->GetDevice(MacText(1), row) && row.mac[0] != '\0'; }));

    device.SendTo(Port(SocketRole::kHeartbeat), FromDevice(MessageType::heartbeat, BytesOf(Summary("V1", 4321))));
    const auto ack = device.Receive();
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->fromPort, Port(SocketRole::kHeartbeat));
    EXPECT_EQ(ack->bytes, BuildPacket(engine->PayloadKey(), MessageType::heartbeat, {}));
    ASSERT_TRUE(WaitFor([&] { return store->GetDevice(MacText(1), row) && row.up_time.get() == 4321; }));
}

TEST_F(LoopbackEngine, SearchGoesFromDiscoverySocketToEachAdapterBroadcast) {
    ASSERT_TRUE(engine->Start());
    engine->Search();
    const auto d = device.Receive();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->fromPort, Port(SocketRole::kDiscovery));
    EXPECT_EQ(d->bytes, BuildPacket(engine->PayloadKey(), MessageType::search, {}));
}

TEST_F(LoopbackEngine, ShutdownEndsBlockedReceiversPromptly) {
    ASSERT_TRUE(engine->Start());
    std::this_thread::sleep_for(50ms);  // every receiver is now waiting for a datagram
    const auto start = std::chrono::steady_clock::now();
    engine->Shutdown();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 100ms);
    EXPECT_EQ(engine->LocalPort(SocketRole::kRequest), 0) << "sockets are closed";
    EXPECT_FALSE(engine->SendCommand(kLoopback, MessageType::reboot));
}

TEST_F(LoopbackEngine, RestartsAfterShutdown) {
    ASSERT_TRUE(engine->Start());
    engine->Shutdown();
    ASSERT_TRUE(engine->Start());
    device.SendTo(Port(SocketRole::kSearchReply), FromDevice(MessageType::search));
    EXPECT_TRUE(WaitFor([&] { return engine->OnlineList().size() == 1; }));
}

TEST_F(LoopbackEngine, ConcurrentDevicesAndPageCalls) {
    ASSERT_TRUE(engine->Start());
    std::atomic<bool> done{false};
    std::vector<std::thread> devices;
    for (std::uint8_t first : {10, 60}) {
        devices.emplace_back([&, first] {
            UdpPeer peer;
            for (std::uint8_t i = first; i < first + 40; ++i) {
                peer.SendTo(Port(SocketRole::kSearchReply), FromDevice(MessageType::search, BytesOf(Summary("V1")), i));
                peer.SendTo(Port(SocketRole::kRequest),
                            FromDevice(MessageType::get_info, GetInfoPayload(DeviceRecord(kLoopback)), i));
                peer.SendTo(Port(SocketRole::kHeartbeat),
                            FromDevice(MessageType::heartbeat, BytesOf(Summary("V1", i)), i));
            }
        });
    }
    std::thread page([&] {
        std::vector<ap_info_stu> out;
        while (!done.load()) {
            engine->GetDiscovered(out, 100);
            engine->SetPendingIp(MacText(10), kLoopback, "127.0.0.2");
            engine->ClearDiscovered();
            engine->AgeOnlineList();
            engine->BroadcastAddresses();
        }
    });
    for (auto& t : devices)
        t.join();
    done.store(true);
    page.join();
    // The page calls aged and cleared whatever arrived; the engine still serves new devices.
    device.SendTo(Port(SocketRole::kSearchReply), FromDevice(MessageType::search, BytesOf(Summary("V1")), 200));
    EXPECT_TRUE(WaitFor([&] {
        const auto list = engine->OnlineList();
        return std::any_of(list.begin(), list.end(),
                           [](const ap_online_stu& e) { return e.MacText() == MacText(200); });
    }));
    engine->Shutdown();
}

TEST(EngineAger, DropsSilentDevicesOnItsOwnTicks) {
    EngineConfig config;
    config.endpoints = {kLoopback, 0, 0, 0, 0, 9, 9};
    config.agePeriod = std::chrono::milliseconds(5);
    EngineHarness h(config);
    ASSERT_TRUE(h.engine().Start());
    h.Identify("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));
    ap_info_stu row;
    EXPECT_TRUE(WaitFor([&] { return h.engine().OnlineList().empty(); }));
    EXPECT_TRUE(WaitFor([&] { return !h.Row(MacText(1), row); }));
}

TEST(EngineStart, SaysWhichPortIsTakenAndWhy) {
    UdpPeer taken(false);
    TempDir dir;
    CSqlManagement store(dir / "data.db");
    EngineConfig config;
    config.endpoints = {kLoopback, 0, 0, 0, taken.port(), 9, 9};
    config.adapters = std::make_shared<StaticAdapterSource>(std::vector<adapter_record>{});
    CNetManagement engine(store, config);
    const EngineStartResult result = engine.Start();
    EXPECT_FALSE(result);
    EXPECT_EQ(result.failed, EngineStartResult::Step::kBind);
    EXPECT_EQ(result.role, SocketRole::kRequest);
    EXPECT_EQ(result.port, taken.port());
    EXPECT_EQ(result.error, EADDRINUSE);
    EXPECT_TRUE(result.PortInUse());
    EXPECT_EQ(result.Describe(),
              "cannot bind UDP port " + std::to_string(taken.port()) + " (requests): " + std::strerror(EADDRINUSE));
    EXPECT_NE(engine.LocalPort(SocketRole::kHeartbeat), 0) << "what was opened stays";

    // A program that holds the port with address reuse does not share it with us either.
    UdpPeer sharing(true);
    config.endpoints = {kLoopback, 0, 0, 0, sharing.port(), 9, 9};
    CNetManagement beside(store, config);
    EXPECT_TRUE(beside.Start().PortInUse());

    // An address that is not this machine's is a port failure of another kind.
    config.endpoints = {"192.0.2.1", 0, 0, 0, 0, 9, 9};
    CNetManagement elsewhere(store, config);
    const EngineStartResult notLocal = elsewhere.Start();
    EXPECT_EQ(notLocal.failed, EngineStartResult::Step::kBind);
    EXPECT_EQ(notLocal.role, SocketRole::kDiscovery);
    EXPECT_EQ(notLocal.error, EADDRNOTAVAIL);
    EXPECT_TRUE(notLocal.ConcernsPort());
    EXPECT_FALSE(notLocal.PortInUse());
    EXPECT_TRUE(EngineStartResult{}.Started());
}

std::vector<std::uint8_t> Bytes(std::size_t size, std::uint8_t fill) { return std::vector<std::uint8_t>(size, fill); }

// Everything a batch holds, as (sender port, bytes) pairs in order.
std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> Contents(const DatagramBatch& batch) {
    std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> out;
    batch.ForEach([&](const sockaddr_in& from, std::span<const std::uint8_t> d) {
        out.emplace_back(ntohs(from.sin_port), std::vector<std::uint8_t>(d.begin(), d.end()));
        return true;
    });
    return out;
}

TEST(DatagramQueue, KeepsSendersBytesAndOrderAcrossSwaps) {
    DatagramQueue queue(100, 1 << 20);
    DatagramBatch batch;
    for (int round = 0; round < 3; ++round) {
        // Sizes vary so that a reused buffer would show stale bytes.
        const std::size_t big = round == 1 ? 16 : 1472;
        ASSERT_TRUE(queue.Push(Sender(kLoopback, 1000), Bytes(big, 0xA0)));
        ASSERT_TRUE(queue.Push(Sender(kLoopback, 1001), Bytes(0, 0)));
        ASSERT_TRUE(queue.Push(Sender(kLoopback, 1002), Bytes(123, static_cast<std::uint8_t>(round))));
        ASSERT_TRUE(queue.WaitAndTakeAll(batch));
        EXPECT_EQ(batch.Count(), 3u);
        const auto got = Contents(batch);
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[0], std::make_pair(std::uint16_t{1000}, Bytes(big, 0xA0)));
        EXPECT_EQ(got[1], std::make_pair(std::uint16_t{1001}, Bytes(0, 0)));
        EXPECT_EQ(got[2], std::make_pair(std::uint16_t{1002}, Bytes(123, static_cast<std::uint8_t>(round))));
    }
}

TEST(DatagramQueue, BoundedInDatagramsAndInBytes) {
    DatagramQueue byCount(2, 1 << 20);
    EXPECT_TRUE(byCount.Push(Sender(kLoopback), Bytes(16, 1)));
    EXPECT_TRUE(byCount.Push(Sender(kLoopback), Bytes(16, 2)));
    EXPECT_FALSE(byCount.Push(Sender(kLoopback), Bytes(16, 3)));
    EXPECT_EQ(byCount.Dropped(), 1u);
    DatagramBatch batch;
    ASSERT_TRUE(byCount.WaitAndTakeAll(batch));
    EXPECT_EQ(batch.Count(), 2u);
    EXPECT_TRUE(byCount.Push(Sender(kLoopback), Bytes(16, 4))) << "room again once swapped out";

    // Room for exactly two of the largest datagrams: small ones still fit after a refused one.
    DatagramQueue byBytes(100, 2 * DatagramBatch::Footprint(1472));
    EXPECT_TRUE(byBytes.Push(Sender(kLoopback), Bytes(1472, 1)));
    EXPECT_TRUE(byBytes.Push(Sender(kLoopback), Bytes(1400, 2)));
    EXPECT_FALSE(byBytes.Push(Sender(kLoopback), Bytes(1472, 3)));
    EXPECT_TRUE(byBytes.Push(Sender(kLoopback), Bytes(54, 4))) << "fills the bound exactly";
    EXPECT_EQ(byBytes.Dropped(), 1u);
    ASSERT_TRUE(byBytes.WaitAndTakeAll(batch));
    EXPECT_EQ(batch.Count(), 3u);
    EXPECT_LE(batch.Capacity(), 2 * DatagramBatch::Footprint(1472)) << "storage never grows past the bound";

    // The batch the worker handles still counts: a port holds its bound, not twice that, until
    // the worker comes back for more.
    EXPECT_FALSE(byBytes.Push(Sender(kLoopback), Bytes(0, 5)));
    EXPECT_EQ(byBytes.Dropped(), 2u);
    std::thread worker([&] { EXPECT_TRUE(byBytes.WaitAndTakeAll(batch)); });
    bool accepted = false;
    for (int tries = 0; tries < 2000 && !accepted; ++tries) {
        accepted = byBytes.Push(Sender(kLoopback), Bytes(1472, 6));
        if (!accepted)
            std::this_thread::sleep_for(1ms);
    }
    worker.join();
    EXPECT_TRUE(accepted) << "room again once the worker came back";
    EXPECT_EQ(batch.Count(), 1u);
}

TEST(DatagramQueue, StopWakesTheWorker) {
    DatagramQueue queue(2, 1 << 20);
    queue.Push(Sender(kLoopback), Bytes(16, 1));
    std::thread waiter([&] {
        DatagramBatch batch;
        EXPECT_TRUE(queue.WaitAndTakeAll(batch));
        EXPECT_EQ(batch.Count(), 1u);
        EXPECT_FALSE(queue.WaitAndTakeAll(batch));
    });
    std::this_thread::sleep_for(10ms);
    queue.Stop();
    waiter.join();
}

}  // namespace
}  // namespace cpe::test
