#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "protocol/packet.h"
#include "sim/control_client.h"
#include "sim/lab_guard.h"
#include "sim/simulator.h"

namespace cpe::sim {
namespace {

// A UDP socket on 127.0.0.1 playing one of the utility's ports.
class UtilSocket {
public:
    UtilSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~UtilSocket() { ::close(fd_); }
    std::uint16_t Port() const { return port_; }

    void SendTo(const std::string& ip, std::uint16_t port, MessageType type,
                std::span<const std::uint8_t> payload = {}) {
        const auto d = BuildPacket(DefaultPayloadKey(), type, payload);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        ::inet_pton(AF_INET, ip.c_str(), &to.sin_addr);
        ::sendto(fd_, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    struct Datagram {
        std::string from;
        std::uint16_t fromPort;
        std::vector<std::uint8_t> bytes;
    };
    // Everything that arrives until `quiet` passes without a datagram, or the first `atMost`.
    // Where a count is expected, ask for that many with a long `quiet`: a loaded machine may
    // start the simulator late, and only a check for silence should wait the whole period.
    std::vector<Datagram> Collect(std::chrono::milliseconds quiet, std::size_t atMost = 100000) {
        std::vector<Datagram> out;
        while (out.size() < atMost) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0)
                break;
            std::uint8_t buf[2048];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n < 0)
                break;
            char ip[16];
            ::inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
            out.push_back({ip, ntohs(from.sin_port), {buf, buf + n}});
        }
        return out;
    }

private:
    int fd_;
    std::uint16_t port_ = 0;
};

std::uint16_t FreePort() {
    UtilSocket probe;
    return probe.Port();
}

class RunningSimulator {
public:
    explicit RunningSimulator(std::vector<std::string> args) {
        control = (std::filesystem::temp_directory_path() / ("cpe-sim-test-" + std::to_string(::getpid()) + ".sock"))
                      .string();
        args.insert(args.end(), {"--loopback", "--subnet", "127.0.77.1/24", "--control", control, "--discovery-port",
                                 std::to_string(discoveryPort), "--command-port", std::to_string(commandPort)});
        auto parsed = ParseSimOptions(args);
        if (auto* e = std::get_if<std::string>(&parsed)) {
            ADD_FAILURE() << *e;
            return;
        }
        sim = std::make_unique<Simulator>(std::get<SimOptions>(parsed));
        error = sim->Open();
        if (error.empty())
            thread = std::thread([this] { sim->Run(); });
    }
    ~RunningSimulator() {
        if (thread.joinable()) {
            sim->RequestStop();
            thread.join();
        }
    }
    std::uint16_t discoveryPort = FreePort();
    std::uint16_t commandPort = FreePort();
    std::string control;
    std::string error;
    std::unique_ptr<Simulator> sim;
    std::thread thread;
};

TEST(SimulatorLoopbackTest, DevicesAnswerFromTheirOwnAddressesAndReportWhatTheyReceived) {
    UtilSocket searchReplies, heartbeats, replies;
    RunningSimulator s({"--devices", "30", "--heartbeat-ms", "200", "--util-search-port",
                        std::to_string(searchReplies.Port()), "--util-heartbeat-port",
                        std::to_string(heartbeats.Port())});
    ASSERT_EQ(s.error, "");
    // 127.0.77.255 is the subnet's broadcast address; on loopback it is delivered as unicast.
    replies.SendTo("127.0.77.255", s.discoveryPort, MessageType::search);
    const auto answers = searchReplies.Collect(std::chrono::seconds(5), 30);
    ASSERT_EQ(answers.size(), 30u);
    EXPECT_TRUE(searchReplies.Collect(std::chrono::milliseconds(100)).empty()) << "more answers than devices";
    std::map<std::string, RawMac> byAddress;
    for (const auto& a : answers) {
        const auto h = ParsePacketHeader(a.bytes);
        ASSERT_TRUE(h);
        EXPECT_EQ(h->type.get(), 1);
        EXPECT_EQ(a.fromPort, s.discoveryPort);
        byAddress[a.from] = h->mac;
    }
    EXPECT_EQ(byAddress.size(), 30u);
    ASSERT_TRUE(byAddress.count("127.0.77.1"));

    replies.SendTo("127.0.77.1", s.commandPort, MessageType::get_info);
    const auto record = replies.Collect(std::chrono::seconds(5), 1);
    ASSERT_EQ(record.size(), 1u);
    EXPECT_TRUE(replies.Collect(std::chrono::milliseconds(100)).empty()) << "one request, two records";
    EXPECT_EQ(record[0].bytes.size(), kHeaderSize + kGetInfoPayloadSize);
    EXPECT_EQ(record[0].from, "127.0.77.1");

    const auto beats = heartbeats.Collect(std::chrono::seconds(5), 60);
    EXPECT_GE(beats.size(), 30u);
    for (const auto& b : beats)
        EXPECT_EQ(ParsePacketHeader(b.bytes)->type.get(), 15);

    char mac[18];
    const RawMac& m = byAddress["127.0.77.1"];
    std::snprintf(mac, sizeof mac, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4], m[5]);
    const auto view = ControlJson(s.control, std::string("device ") + mac);
    ASSERT_TRUE(view);
    EXPECT_EQ((*view)["ip"].Str(), "127.0.77.1");
    EXPECT_EQ((*view)["manager"].Str(), "127.0.0.1");
    EXPECT_EQ((*view)["received"]["get_info"].Int(), 1);
    EXPECT_GE((*view)["heartbeats_sent"].Int(), 1);

    ASSERT_TRUE(ControlJson(s.control, std::string("stop ") + mac));
    replies.SendTo("127.0.77.1", s.commandPort, MessageType::get_info);
    EXPECT_TRUE(replies.Collect(std::chrono::milliseconds(200)).empty());
    const auto dump = ControlJson(s.control, "dump");
    ASSERT_TRUE(dump);
    EXPECT_EQ((*dump)["devices"].Size(), 30u);
    EXPECT_EQ((*dump)["devices"][0]["power"].Str(), "stopped");
    EXPECT_GE((*dump)["stats"]["sent"].Int(), 31);
}

TEST(SimulatorLoopbackTest, InjectedLossAndGarbageShowInTheCounters) {
    UtilSocket searchReplies, replies;
    RunningSimulator s({"--devices", "5", "--loss-in", "1", "--garbage-per-s", "200", "--util-search-port",
                        std::to_string(searchReplies.Port())});
    ASSERT_EQ(s.error, "");
    for (int i = 0; i < 4; ++i)
        replies.SendTo("127.0.77.255", s.discoveryPort, MessageType::search);
    EXPECT_TRUE(searchReplies.Collect(std::chrono::milliseconds(200)).empty());
    const auto stats = ControlJson(s.control, "stats");
    ASSERT_TRUE(stats);
    EXPECT_EQ((*stats)["sim"]["dropped_in"].Int(), 4);
    EXPECT_EQ((*stats)["sim"]["garbage"].Int(), 0);  // nobody to send it to: no utility searched
    EXPECT_TRUE((*stats)["kernel"].IsObject());
}

TEST(SimulatorLoopbackTest, RefusesToRunOnTheMachinesOwnNetworkWithoutLoopback) {
    if (CheckInLabNamespace().empty())
        GTEST_SKIP() << "running inside the lab";
    auto parsed = ParseSimOptions({"--subnet", "10.77.64.1/16", "--devices", "2"});
    Simulator sim(std::get<SimOptions>(parsed));
    const std::string error = sim.Open();
    EXPECT_NE(error.find("netlab"), std::string::npos) << error;
}

}  // namespace
}  // namespace cpe::sim
