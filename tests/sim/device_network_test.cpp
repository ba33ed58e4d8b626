#include <gtest/gtest.h>

#include <cstring>

#include "protocol/packet.h"
#include "sim/device_network.h"
#include "sim/fleet.h"

namespace cpe::sim {
namespace {

struct Sent {
    Endpoint from, to;
    packet_header header;
    std::vector<std::uint8_t> payload;
    Millis delay;
};

class RecordingOutbox : public Outbox {
public:
    void Send(Endpoint from, Endpoint to, std::vector<std::uint8_t> datagram, Millis delay) override {
        const auto header = ParsePacketHeader(datagram);
        ASSERT_TRUE(header);
        sent.push_back({from, to, *header, ReadPayload(DefaultPayloadKey(), datagram), delay});
    }
    void Arm(Millis after, Timer timer) override { timers.emplace_back(after, timer); }
    void Fetch(FetchRequest request) override { fetches.push_back(std::move(request)); }

    std::vector<Sent> Take() { return std::exchange(sent, {}); }
    std::vector<Sent> sent;
    std::vector<std::pair<Millis, Timer>> timers;
    std::vector<FetchRequest> fetches;
};

constexpr Ipv4 kUtility = 0x0A4D0001;  // 10.77.0.1
const Endpoint kUtilReply{kUtility, 9788};

class DeviceNetworkTest : public ::testing::Test {
protected:
    void Build(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--subnet", "10.77.64.1/16", "--subnet", "10.78.64.1/16", "--devices", "20"};
        args.insert(args.end(), extra.begin(), extra.end());
        options = std::get<SimOptions>(ParseSimOptions(args));
        net = std::make_unique<DeviceNetwork>(options, now);
    }
    void Command(const SimDevice& d, MessageType type, std::span<const std::uint8_t> payload = {}) {
        const auto datagram = BuildPacket(DefaultPayloadKey(), type, payload);
        net->OnCommand(datagram, kUtilReply, d.ip, now, out);
    }
    const SimDevice& Dev(std::size_t i) { return net->Devices()[i]; }
    // Fires every armed timer of the given kind (and only those).
    void Fire(TimerKind kind) {
        auto timers = std::exchange(out.timers, {});
        for (auto& [after, t] : timers) {
            if (t.kind == kind)
                net->OnTimer(t, now, out);
            else
                out.timers.emplace_back(after, t);
        }
    }

    SimOptions options;
    Clock::time_point now = Clock::now();
    std::unique_ptr<DeviceNetwork> net;
    RecordingOutbox out;
};

TEST_F(DeviceNetworkTest, SubnetBroadcastIsAnsweredByThatSubnetOnlyWithSummaries) {
    Build();
    const auto search = BuildPacket(DefaultPayloadKey(), MessageType::search, {});
    net->OnDiscovery(search, {kUtility, 9786}, 0x0A4DFFFF /* 10.77.255.255 */, {}, now, out);
    const auto sent = out.Take();
    ASSERT_EQ(sent.size(), 10u);
    for (const Sent& s : sent) {
        const SimDevice* d = net->FindByMac(Dev(0).macText);
        ASSERT_TRUE(d);
        EXPECT_EQ(s.to.ip, kUtility);
        EXPECT_EQ(s.to.port, 9785);
        EXPECT_EQ(s.from.port, 9786);
        EXPECT_EQ(s.header.type.get(), 1);
        ASSERT_EQ(s.payload.size(), sizeof(search_summary));
        const auto summary = ReadRecord<search_summary>(s.payload);
        const SimDevice& sender = *std::find_if(net->Devices().begin(), net->Devices().end(),
                                                [&](const SimDevice& x) { return x.ip == s.from.ip; });
        EXPECT_EQ(sender.subnet, 0u);
        EXPECT_EQ(s.header.mac, sender.mac);
        EXPECT_EQ(s.header.model.get(), sender.model);
        EXPECT_EQ(summary.ap_name.view(), sender.record.ap_name.view());
        EXPECT_EQ(sender.manager, kUtility);
    }
    // The limited broadcast reaches the subnets of the receiving link.
    net->OnDiscovery(search, {kUtility, 9786}, 0xFFFFFFFF, {1}, now, out);
    EXPECT_EQ(out.Take().size(), 10u);
    // Anything but a search on the discovery port is ignored.
    const auto info = BuildPacket(DefaultPayloadKey(), MessageType::get_info, {});
    net->OnDiscovery(info, {kUtility, 9786}, 0x0A4DFFFF, {}, now, out);
    EXPECT_TRUE(out.Take().empty());
    EXPECT_EQ(net->rejected, 1u);
}

TEST_F(DeviceNetworkTest, GetInfoReturnsTheRecordExceptForFaultyDevices) {
    Build({"--no-record", "1", "--ip-mismatch", "1"});
    Command(Dev(0), MessageType::get_info);
    auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to.port, 9788);
    EXPECT_EQ(sent[0].from.ip, Dev(0).ip);
    ASSERT_EQ(sent[0].payload.size(), kGetInfoPayloadSize);
    ap_info_stu r{};
    std::memcpy(reinterpret_cast<std::uint8_t*>(&r) + kGetInfoPayloadOffset, sent[0].payload.data(),
                kGetInfoPayloadSize);
    EXPECT_EQ(FromRaw(r.ip), Dev(0).ip);
    EXPECT_EQ(r.ssid.view(), Dev(0).record.ssid.view());

    Command(Dev(19), MessageType::get_info);  // never sends its record
    EXPECT_TRUE(out.Take().empty());
    Command(Dev(18), MessageType::get_info);  // claims an address that is not its own
    sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    std::memcpy(reinterpret_cast<std::uint8_t*>(&r) + kGetInfoPayloadOffset, sent[0].payload.data(),
                kGetInfoPayloadSize);
    EXPECT_EQ(sent[0].from.ip, Dev(18).ip);
    EXPECT_NE(FromRaw(r.ip), Dev(18).ip);
}

TEST_F(DeviceNetworkTest, ConfigurationBlocksChangeTheRecord) {
    Build();
    ap_info_stu edit = Dev(3).record;
    edit.ap_name.assign("Dachstation Ost é");
    edit.ssid.assign("新的网络");
    edit.channel = 11;
    edit.restart_en = 1;
    edit.restart_time.set(90);
    edit.vlan_en = 1;
    edit.vlan_id.set(42);
    const auto* base = reinterpret_cast<const std::uint8_t*>(&edit);
    Command(Dev(3), MessageType::set_name, {base + kNameBlockOffset, kNameBlockSize});
    Command(Dev(3), MessageType::set_wireless, {base + kWirelessBlockOffset, kWirelessBlockSize});
    Command(Dev(3), MessageType::set_restart, {base + kRestartBlockOffset, kRestartBlockSize});
    Command(Dev(3), MessageType::set_vlan, {base + kVlanBlockOffset, kVlanBlockSize});
    const auto& r = Dev(3).record;
    EXPECT_EQ(r.ap_name.view(), "Dachstation Ost é");
    EXPECT_EQ(r.ssid.view(), "新的网络");
    EXPECT_EQ(r.channel, 11);
    EXPECT_EQ(r.restart_en, 1);
    EXPECT_EQ(r.restart_time.get(), 90);
    EXPECT_EQ(r.vlan_id.get(), 42);
    // The last payload of each kind stays on view, as it arrived.
    EXPECT_EQ(Dev(3).lastPayload.at("set_restart"),
              std::vector<std::uint8_t>(base + kRestartBlockOffset, base + kRestartBlockOffset + kRestartBlockSize));
    const auto sent = out.Take();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3].header.type.get(), 13);
    EXPECT_EQ(sent[3].payload, std::vector<std::uint8_t>{0});
    // VLAN settings take effect with a restart; a short block changes nothing.
    ASSERT_EQ(out.timers.size(), 1u);
    EXPECT_EQ(out.timers[0].second.kind, TimerKind::kRestart);
    Command(Dev(4), MessageType::set_name, {base + kNameBlockOffset, 10});
    EXPECT_NE(Dev(4).record.ap_name.view(), "Dachstation Ost é");
    EXPECT_TRUE(out.Take().empty());
}

TEST_F(DeviceNetworkTest, SetIpRepliesFromTheOldAddressThenMoves) {
    Build();
    const Ipv4 old = Dev(2).ip;
    ap_info_stu edit = Dev(2).record;
    edit.ip = ToRaw(0x0A4D5000);  // 10.77.80.0
    Command(Dev(2), MessageType::set_ip, {reinterpret_cast<const std::uint8_t*>(&edit) + kIpBlockOffset, kIpBlockSize});
    auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].from.ip, old);
    EXPECT_EQ(sent[0].header.type.get(), 3);
    EXPECT_EQ(Dev(2).ip, 0x0A4D5000u);
    // The old address is dead, the new one answers.
    const auto info = BuildPacket(DefaultPayloadKey(), MessageType::get_info, {});
    net->OnCommand(info, kUtilReply, old, now, out);
    EXPECT_TRUE(out.Take().empty());
    net->OnCommand(info, kUtilReply, 0x0A4D5000, now, out);
    sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].from.ip, 0x0A4D5000u);
}

TEST_F(DeviceNetworkTest, RebootGoesSilentAndComesBackAnnouncingAFreshRecord) {
    Build();
    Command(Dev(1), MessageType::search);  // the utility becomes its manager
    out.Take();
    const auto searchedAt = now;
    now += std::chrono::milliseconds(250);
    Command(Dev(1), MessageType::reboot);
    auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>{0});
    // The state view tells when each kind of request last arrived.
    EXPECT_EQ(Dev(1).lastReceivedMs.at("reboot") - Dev(1).lastReceivedMs.at("search"),
              std::chrono::duration_cast<std::chrono::milliseconds>(now - searchedAt).count());
    Fire(TimerKind::kRestart);
    EXPECT_EQ(Dev(1).power, Power::kRestarting);
    Command(Dev(1), MessageType::get_info);
    EXPECT_TRUE(out.Take().empty());
    now += std::chrono::seconds(20);
    Fire(TimerKind::kBoot);
    EXPECT_EQ(Dev(1).power, Power::kOn);
    EXPECT_EQ(Dev(1).UpTimeSeconds(now), 0u);
    sent = out.Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].header.type.get(), 1);
    EXPECT_EQ(sent[0].to.port, 9785);
    EXPECT_EQ(sent[1].header.type.get(), 2);
    EXPECT_EQ(sent[1].to.port, 9788);
}

TEST_F(DeviceNetworkTest, RestoreBringsBackFactoryValuesAndAddress) {
    Build();
    ap_info_stu edit = Dev(7).record;
    edit.ap_name.assign("renamed");
    edit.ip = ToRaw(0x0A4E5001);
    const auto* base = reinterpret_cast<const std::uint8_t*>(&edit);
    Command(Dev(7), MessageType::set_name, {base + kNameBlockOffset, kNameBlockSize});
    Command(Dev(7), MessageType::set_ip, {base + kIpBlockOffset, kIpBlockSize});
    ASSERT_EQ(Dev(7).record.ap_name.view(), "renamed");
    Command(Dev(7), MessageType::restore);
    Fire(TimerKind::kRestart);
    Fire(TimerKind::kBoot);
    EXPECT_EQ(Dev(7).record.ap_name.view(), Dev(7).factory.ap_name.view());
    EXPECT_EQ(Dev(7).ip, Dev(7).factoryIp);
    EXPECT_EQ(Dev(7).restarts, 1u);
}

TEST_F(DeviceNetworkTest, BridgeMakesAStationOfTheChosenAccessPoint) {
    Build();
    const SimDevice& ap = Dev(0);
    bridge_block b{};
    b.bridge_work_mode = 2;
    b.bridge_mac = ap.mac;
    b.bridge_ssid = ap.record.ssid;
    std::vector<std::uint8_t> payload(kBridgeBlockSize + kIpBlockSize);
    std::memcpy(payload.data(), &b, sizeof b);  // IP block left 0: keep the address
    Command(Dev(2), MessageType::bridge, payload);
    auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>{0});
    EXPECT_EQ(Dev(2).record.work_mode, 2);
    EXPECT_EQ(Dev(2).record.bridge.bridge_mac, ap.mac);
    EXPECT_EQ(Dev(2).ip, Dev(2).factoryIp);
    b.bridge_mac = {};
    std::memcpy(payload.data(), &b, sizeof b);
    Command(Dev(3), MessageType::bridge, payload);
    sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>{1});
    EXPECT_NE(Dev(3).record.work_mode, 2);
}

TEST_F(DeviceNetworkTest, ADeviceToldToRefuseBridgesAnswersFailAndStaysAsItIs) {
    Build();
    bridge_block b{};
    b.bridge_work_mode = 2;
    b.bridge_mac = Dev(0).mac;
    std::vector<std::uint8_t> payload(kBridgeBlockSize + kIpBlockSize);
    std::memcpy(payload.data(), &b, sizeof b);
    ASSERT_TRUE(net->RefuseBridge(Dev(2).macText));
    EXPECT_FALSE(net->RefuseBridge("02:00:00:00:00:00"));
    const auto before = Dev(2).record.work_mode;
    Command(Dev(2), MessageType::bridge, payload);
    const auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>{1});
    EXPECT_EQ(Dev(2).record.work_mode, before);
    EXPECT_EQ(Dev(2).record.bridge.bridge_mac, RawMac{});
}

TEST_F(DeviceNetworkTest, SiteSurveyListsOtherAccessPointsAndInventedOnes) {
    Build({"--survey-invented", "30"});
    Command(Dev(1), MessageType::site_survey);
    const auto sent = out.Take();
    // 8 access points other than itself (every fifth device and the third of each five) + 30.
    ASSERT_EQ(sent.size(), 2u);
    std::size_t entries = 0;
    bool sawFleetAp = false;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const auto p = ReadRecord<survey_packet>(sent[i].payload);
        EXPECT_EQ(p.packet_count, 2);
        EXPECT_EQ(p.packet_id, i);
        entries += p.icount;
        for (std::size_t k = 0; k < p.icount; ++k)
            sawFleetAp |= p.entries[k].mac == Dev(0).mac;
    }
    EXPECT_EQ(entries, 38u);
    EXPECT_TRUE(sawFleetAp);
}

TEST_F(DeviceNetworkTest, UpgradeOutsideSetBFetchesAtOnceAndReportsTheOutcome) {
    Build();
    const SimDevice& d = Dev(0);  // model 1
    ASSERT_FALSE(InModelSetB(d.model));
    std::vector<std::uint8_t> block(kUpgradeBlockSize, 0);
    const std::string file = "fw_v3.1.bin";
    std::memcpy(block.data(), file.data(), file.size());
    Command(d, MessageType::upgrade, block);
    auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.type.get(), 12);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>{0});
    ASSERT_EQ(out.fetches.size(), 1u);
    EXPECT_EQ(out.fetches[0].protocol, FetchProtocol::kTftp);
    EXPECT_EQ(out.fetches[0].server.ip, kUtility);
    EXPECT_EQ(out.fetches[0].server.port, 69);
    EXPECT_EQ(out.fetches[0].file, file);
    FetchResult ok{true, 1000, 42, {}};
    net->OnFetched(out.fetches[0], ok, now, out);
    Fire(TimerKind::kFlashDone);
    sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>{2});
    EXPECT_EQ(d.record.version.view(), "fw_v3.1");  // the file name less its extension
    EXPECT_EQ(d.upgrade.phase, FirmwareStage::kSucceeded);

    // A failed fetch reports 1; a stale result of an older request changes nothing.
    Command(Dev(1), MessageType::upgrade, block);
    out.Take();
    net->OnFetched(out.fetches[1], FetchResult{false, 0, 0, "tftp timeout"}, now, out);
    sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload, std::vector<std::uint8_t>{1});
    net->OnFetched(out.fetches[1], ok, now, out);
    EXPECT_EQ(Dev(1).upgrade.phase, FirmwareStage::kFailed);
}

TEST_F(DeviceNetworkTest, UpgradeOfSetBWaitsForThePollBeforeFetchingOverHttp) {
    Build();
    const SimDevice& d = Dev(3);  // model 4
    ASSERT_TRUE(InModelSetB(d.model));
    std::vector<std::uint8_t> block(kUpgradeBlockSize, 0);
    block[0] = 'x';
    Command(d, MessageType::upgrade, block);
    EXPECT_EQ(out.Take().size(), 1u);
    EXPECT_TRUE(out.fetches.empty());
    EXPECT_EQ(d.upgrade.phase, FirmwareStage::kWaitingPoll);
    Command(d, MessageType::upgrade, block);  // busy: ignored
    EXPECT_TRUE(out.Take().empty());
    Command(d, MessageType::upgrade_poll);
    const auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.type.get(), 16);
    ASSERT_EQ(out.fetches.size(), 1u);
    EXPECT_EQ(out.fetches[0].protocol, FetchProtocol::kHttp);
    EXPECT_EQ(out.fetches[0].server.port, 80);
}

TEST_F(DeviceNetworkTest, HeartbeatsGoToTheLastSearcherWhileTheDeviceLives) {
    Build({"--heartbeat-ms", "1000"});
    net->Start(now, out);
    ASSERT_EQ(out.timers.size(), 20u);
    Fire(TimerKind::kHeartbeat);
    EXPECT_TRUE(out.Take().empty());  // nobody searched yet
    Command(Dev(4), MessageType::search);
    out.Take();
    Fire(TimerKind::kHeartbeat);
    auto sent = out.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.type.get(), 15);
    EXPECT_EQ(sent[0].to.ip, kUtility);
    EXPECT_EQ(sent[0].to.port, 9787);
    EXPECT_EQ(sent[0].from.port, 9787);
    // An acknowledgement is counted, not answered; a stopped device neither beats nor answers.
    Command(Dev(4), MessageType::heartbeat);
    EXPECT_EQ(Dev(4).heartbeatAcks, 1u);
    ASSERT_TRUE(net->Stop(Dev(4).macText));
    Fire(TimerKind::kHeartbeat);
    Command(Dev(4), MessageType::get_info);
    EXPECT_TRUE(out.Take().empty());
    ASSERT_TRUE(net->StartDevice(Dev(4).macText, now, out));
    EXPECT_EQ(out.Take().size(), 2u);  // announcement: summary and record
}

TEST_F(DeviceNetworkTest, MalformedDatagramsAreRejectedWithoutEffect) {
    Build();
    const std::vector<std::uint8_t> shortOne(10, 0x86);
    net->OnCommand(shortOne, kUtilReply, Dev(0).ip, now, out);
    auto badMagic = BuildPacket(DefaultPayloadKey(), MessageType::get_info, {});
    badMagic[0] = 0;
    net->OnCommand(badMagic, kUtilReply, Dev(0).ip, now, out);
    auto lying = BuildPacket(DefaultPayloadKey(), MessageType::set_name, std::vector<std::uint8_t>(5, 'a'));
    lying[14] = 0xFF;  // announces far more payload than it carries
    net->OnCommand(lying, kUtilReply, Dev(0).ip, now, out);
    EXPECT_TRUE(out.Take().empty());
    EXPECT_EQ(net->rejected, 2u);
    EXPECT_EQ(Dev(0).record.ap_name.view(), Dev(0).factory.ap_name.view());
}

}  // namespace
}  // namespace cpe::sim
