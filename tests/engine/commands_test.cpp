// Requests, reply handling by type, the pending address of set_ip, the reboot/restore order and
// the payload blocks cut from a device record.
#include <gtest/gtest.h>

#include <thread>

#include "engine/payload_blocks.h"
#include "platform/codepage.h"
#include "tests/engine/engine_harness.h"

namespace cpe::test {
namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetAnsiCodeset("UTF-8");
        h.Identify("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));
    }
    void TearDown() override { platform::SetAnsiCodeset(""); }

    int Status() { return h.store().GetDeviceStatus(MacText(1)); }
    void SetStatus(int status) { ASSERT_TRUE(h.store().SetDeviceStatus(MacText(1), status)); }
    void Result(MessageType type, std::uint8_t result) { h.Reply("10.0.0.5", Mac(1), type, {result}); }

    EngineHarness h;
};

TEST_F(Commands, SendCommandLeavesFromRequestSocketToCommandPort) {
    const std::vector<std::uint8_t> block(33, 7);
    h.engine().SendCommand("10.0.0.5", MessageType::set_name, block);
    const auto sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].from, SocketRole::kRequest);
    EXPECT_EQ(sent[0].ip, "10.0.0.5");
    EXPECT_EQ(sent[0].port, 9787);
    EXPECT_EQ(sent[0].type, TypeCode(MessageType::set_name));
    EXPECT_EQ(sent[0].payload, block);
}

TEST_F(Commands, BridgeRebootRestoreAndVlanResults) {
    Result(MessageType::bridge, 0);
    EXPECT_EQ(Status(), 2);
    Result(MessageType::bridge, 1);
    EXPECT_EQ(Status(), 3);

    SetStatus(1);
    Result(MessageType::reboot, 1);
    EXPECT_EQ(Status(), 1) << "a failed reboot changes nothing";
    Result(MessageType::reboot, 0);
    EXPECT_EQ(Status(), 4);

    SetStatus(1);
    Result(MessageType::restore, 2);
    EXPECT_EQ(Status(), 1);
    Result(MessageType::restore, 0);
    EXPECT_EQ(Status(), 5);

    SetStatus(1);
    Result(MessageType::set_vlan, 1);
    EXPECT_EQ(Status(), 1);
    Result(MessageType::set_vlan, 0);
    EXPECT_EQ(Status(), 4);
}

TEST_F(Commands, ReplyWithoutResultByteChangesNothing) {
    h.Reply("10.0.0.5", Mac(1), MessageType::bridge, {});
    h.Reply("10.0.0.5", Mac(1), MessageType::reboot, {});
    h.Reply("10.0.0.5", Mac(1), MessageType::upgrade_state, {});
    EXPECT_EQ(Status(), 1);
}

TEST_F(Commands, RepliesWithoutEffect) {
    h.Reply("10.0.0.5", Mac(1), MessageType::set_wireless, {0});
    h.Reply("10.0.0.5", Mac(1), MessageType::heartbeat, {0});
    EXPECT_EQ(Status(), 1);
    h.Reply("10.0.0.5", Mac(9), MessageType::reboot, {0});
    EXPECT_EQ(h.store().GetDeviceStatus(MacText(9)), 0) << "no row for an unknown device";
}

TEST_F(Commands, UpgradeStateFollowsTheChosenModel) {
    EXPECT_EQ(h.engine().UpgradeModelCode(), 1);
    Result(MessageType::upgrade_state, 0);
    EXPECT_EQ(Status(), 7);
    h.engine().SetUpgradeModelCode(260);
    Result(MessageType::upgrade_state, 0);
    EXPECT_EQ(Status(), 6);
    Result(MessageType::upgrade_state, 1);
    EXPECT_EQ(Status(), 9);
    Result(MessageType::upgrade_state, 2);
    EXPECT_EQ(Status(), 8);
}

TEST_F(Commands, UpgradePollMovesWaitingDevicesOnly) {
    SetStatus(6);
    h.Reply("10.0.0.5", Mac(1), MessageType::upgrade_poll, {});
    EXPECT_EQ(Status(), 7);
    h.Reply("10.0.0.5", Mac(1), MessageType::upgrade_poll, {});
    EXPECT_EQ(Status(), 7);
    SetStatus(8);
    h.Reply("10.0.0.5", Mac(1), MessageType::upgrade_poll, {});
    EXPECT_EQ(Status(), 8);
}

TEST_F(Commands, SetIpReplyMovesEntryToPendingAddress) {
    h.engine().SetPendingIp(MacText(1), "10.0.0.5", "10.0.0.50");
    EXPECT_EQ(h.engine().OnlineList()[0].PendingIpText(), "10.0.0.50");

    h.Reply("10.0.0.9", Mac(1), MessageType::set_ip, {});
    EXPECT_EQ(h.engine().OnlineList()[0].IpText(), "10.0.0.5") << "reply from another address";

    h.Reply("10.0.0.5", Mac(1), MessageType::set_ip, {});
    const auto list = h.engine().OnlineList();
    EXPECT_EQ(list[0].IpText(), "10.0.0.50");
    EXPECT_EQ(list[0].PendingIpText(), "");

    // Follow-up traffic uses the new address.
    h.Heartbeat("10.0.0.50", Mac(1), 5);
    EXPECT_EQ(h.TakeSent().at(0).ip, "10.0.0.50");
}

TEST_F(Commands, SetIpToSameAddressClearsPendingAndReplyChangesNothing) {
    h.engine().SetPendingIp(MacText(1), "10.0.0.5", "10.0.0.50");
    h.engine().SetPendingIp(MacText(1), "10.0.0.5", "10.0.0.5");
    EXPECT_EQ(h.engine().OnlineList()[0].PendingIpText(), "");
    h.Reply("10.0.0.5", Mac(1), MessageType::set_ip, {});
    EXPECT_EQ(h.engine().OnlineList()[0].IpText(), "10.0.0.5");

    // Only an identified entry at the current address takes a pending address.
    h.engine().SetPendingIp(MacText(1), "10.0.0.6", "10.0.0.60");
    EXPECT_EQ(h.engine().OnlineList()[0].PendingIpText(), "");
}

TEST_F(Commands, RebootGoesToAccessPointsWithStationsFirst) {
    // Device 2 is an access point; device 3 is a station bridged to it.
    ap_info_stu ap = DeviceRecord("10.0.0.6");
    ap.ssid_mac = {0x02, 0xaa, 0, 0, 0, 1};
    h.Identify("10.0.0.6", Mac(2), ap);
    ap_info_stu station = DeviceRecord("10.0.0.7");
    station.work_mode = 2;
    station.bridge.bridge_mac = ap.ssid_mac;
    h.Identify("10.0.0.7", Mac(3), station);

    const std::vector<DeviceTarget> selection{
        {MacText(1), "10.0.0.5"}, {MacText(3), "10.0.0.7"}, {MacText(2), "10.0.0.6"}};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(h.engine().SendRebootRestore(selection, MessageType::reboot), 3u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));

    const auto sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].ip, "10.0.0.6");
    EXPECT_EQ(sent[1].ip, "10.0.0.5");
    EXPECT_EQ(sent[2].ip, "10.0.0.7");
    for (const auto& d : sent) {
        EXPECT_EQ(d.type, TypeCode(MessageType::reboot));
        EXPECT_TRUE(d.payload.empty());
    }
}

TEST_F(Commands, RebootOrderStopsWhenAsked) {
    std::stop_source stop;
    std::size_t sent = 99;
    std::thread sender([&] {
        sent = h.engine().SendRebootRestore({{MacText(1), "10.0.0.5"}}, MessageType::restore, stop.get_token());
    });
    stop.request_stop();
    sender.join();
    EXPECT_EQ(sent, 0u);
    EXPECT_TRUE(h.TakeSent().empty());
}

TEST(PayloadBlocks, AreSlicesOfTheDeviceRecord) {
    ap_info_stu r = DeviceRecord("192.168.1.20", "roof");
    r.ip_apply = 1;
    r.restart_en = 1;
    r.restart_time.set(0x0102);
    r.vlan_id.set(100);
    r.vlan_apply = 1;
    r.bridge.bridge_work_mode = 2;
    r.bridge.bridge_ssid.assign("far");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);

    const NameBlock name = MakeNameBlock(r);
    EXPECT_TRUE(std::equal(name.begin(), name.end(), bytes + 54));
    const IpBlock ip = MakeIpBlock(r);
    EXPECT_EQ(ip[1], 192);
    EXPECT_EQ(ip[21], 1) << "the IP apply flag";
    const RestartBlock restart = MakeRestartBlock(r);
    EXPECT_EQ(restart, (RestartBlock{1, 0, 2, 1}));
    const WirelessBlock wireless = MakeWirelessBlock(r);
    EXPECT_TRUE(std::equal(wireless.begin(), wireless.end(), bytes + 124));
    const VlanBlock vlan = MakeVlanBlock(r);
    EXPECT_EQ(vlan[2], 100);
    EXPECT_EQ(vlan[8], 1) << "the VLAN apply flag";
    const BridgePayload bridge = MakeBridgePayload(r);
    EXPECT_EQ(bridge.size(), 326u);
    EXPECT_EQ(bridge[0], 2);
    EXPECT_TRUE(std::equal(bridge.begin(), bridge.begin() + 304, bytes + 452));
    EXPECT_TRUE(std::equal(bridge.begin() + 304, bridge.end(), ip.begin()));

    const UpgradeBlock upgrade = MakeUpgradeBlock("fw.bin");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(upgrade.data())), "fw.bin");
    EXPECT_EQ(MakeUpgradeBlock(std::string(400, 'x'))[260], 0) << "always NUL-terminated";
}

TEST(PayloadBlocks, CjkTextsLeaveAsUtf8CutOnACharacter) {
    platform::SetAnsiCodeset("GBK");
    // Eleven ideographs: 22 bytes in GBK, 33 in UTF-8; the cut keeps ten (30 bytes).
    std::string gbk;
    for (int i = 0; i < 11; ++i)
        gbk += "\xD6\xD0";  // U+4E2D
    ap_info_stu r = DeviceRecord("10.0.0.5");
    r.ssid.assign(gbk);
    const WirelessBlock wireless = MakeWirelessBlock(r);
    const std::size_t ssid = 155 - 124;
    EXPECT_EQ(wireless[ssid + 32], 30);
    EXPECT_EQ(wireless[ssid + 0], 0xE4);
    EXPECT_EQ(wireless[ssid + 29], 0xAD);
    EXPECT_EQ(wireless[ssid + 30], 0);

    r.ap_name.assign("abc");
    const NameBlock name = MakeNameBlock(r);
    EXPECT_EQ(name[32], 3) << "a text without ideographs leaves unchanged";
    EXPECT_EQ(name[0], 'a');
    platform::SetAnsiCodeset("");
}

TEST(DatagramPath, LengthFieldIsClampedToWhatArrived) {
    EngineHarness h;
    h.SearchReply("10.0.0.5", Mac(1), Summary("V1"));
    auto packet = BuildDevicePacket(h.engine().PayloadKey(), 1, Mac(1), MessageType::get_info,
                                    GetInfoPayload(DeviceRecord("10.0.0.5")).first(40));
    packet[14] = 0xFF;  // claims 65535 payload bytes
    packet[15] = 0xFF;
    EXPECT_TRUE(h.engine().ProcessDatagram(PortRole::kRequest, Sender("10.0.0.5"), packet));
    ap_info_stu row;
    ASSERT_TRUE(h.Row(MacText(1), row));
    EXPECT_EQ(FormatIp(row.ip), "10.0.0.5");
    EXPECT_EQ(row.version.size(), 0u) << "bytes beyond the datagram are not payload";
}

}  // namespace
}  // namespace cpe::test
