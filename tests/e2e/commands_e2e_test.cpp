#include <algorithm>

#include "engine/payload_blocks.h"
#include "protocol/codes.h"
#include "tests/e2e/e2e_fixture.h"

namespace cpe::lab {
namespace {

using std::chrono::seconds;

class CommandsTest : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        if (IsSkipped())
            return;
        // Short restarts so that the fresh record after a restart shows within the test.
        StartAndDiscover({"--devices", "10", "--heartbeat-ms", "1000", "--reboot-ms", "1500", "--apply-ms", "200"}, 10);
        devices_ = Devices();
    }
    std::string Mac(std::size_t i) const { return devices_[i]["mac"].Str(); }
    std::string Ip(std::size_t i) const { return devices_[i]["ip"].Str(); }
    ap_info_stu Record(std::size_t i) { return utility_->Row(Mac(i)).value_or(ap_info_stu{}); }
    bool WaitStatus(std::size_t i, int status, seconds limit = seconds(5)) {
        return WaitUntil([&] { return Status(Mac(i)) == status; }, limit, std::chrono::milliseconds(20));
    }
    bool WaitSim(std::size_t i, const std::function<bool(const sim::JsonValue&)>& check, seconds limit = seconds(5)) {
        return WaitUntil([&] { return check(sim_->Device(Mac(i))); }, limit, std::chrono::milliseconds(50));
    }

    std::vector<sim::JsonValue> devices_;
};

TEST_F(CommandsTest, ConfigurationCommandsChangeTheSimulatedDevice) {
    ap_info_stu r = Record(3);
    r.ap_name.assign("Rooftop East");
    r.ssid.assign("Backhaul-Nord");
    r.channel = 11;
    r.restart_en = 1;
    r.restart_type = 2;
    r.restart_time.set(120);
    auto& e = utility_->Engine();
    e.SendCommand(Ip(3), MessageType::set_name, MakeNameBlock(r));
    e.SendCommand(Ip(3), MessageType::set_wireless, MakeWirelessBlock(r));
    e.SendCommand(Ip(3), MessageType::set_restart, MakeRestartBlock(r));
    EXPECT_TRUE(WaitSim(3, [](const sim::JsonValue& d) {
        return d["ap_name"].Str() == "Rooftop East" && d["ssid"].Str() == "Backhaul-Nord" && d["channel"].Int() == 11 &&
               d["restart_en"].Int() == 1 && d["restart_type"].Int() == 2 && d["restart_time"].Int() == 120;
    }));
    // These replies are not used: the row keeps its status.
    EXPECT_EQ(Status(Mac(3)), 1);

    // set_vlan answers 0 ("Restarting"); the device restarts and its fresh record brings the
    // row back online with the new settings.
    r.vlan_en = 1;
    r.vlan_id.set(42);
    r.vlan_id_lan.set(7);
    e.SendCommand(Ip(3), MessageType::set_vlan, MakeVlanBlock(r));
    EXPECT_TRUE(WaitStatus(3, 4));
    EXPECT_TRUE(WaitStatus(3, 1));
    const auto row = Record(3);
    EXPECT_EQ(row.vlan_id.get(), 42);
    EXPECT_EQ(row.vlan_id_lan.get(), 7);
    EXPECT_EQ(row.ap_name.text(), "Rooftop East");
    EXPECT_EQ(sim_->Device(Mac(3))["restarts"].Int(), 1);
}

TEST_F(CommandsTest, RebootAndRestoreSetTheirStatusesAndRestoreBringsFactoryValues) {
    auto& e = utility_->Engine();
    ap_info_stu r = Record(6);
    const std::string factoryName(r.ap_name.text());
    r.ap_name.assign("Temporary");
    e.SendCommand(Ip(6), MessageType::set_name, MakeNameBlock(r));
    ASSERT_TRUE(WaitSim(6, [](const sim::JsonValue& d) { return d["ap_name"].Str() == "Temporary"; }));

    const std::size_t sent = e.SendRebootRestore({{Mac(5), Ip(5)}, {Mac(6), Ip(6)}}, MessageType::reboot);
    EXPECT_EQ(sent, 2u);
    EXPECT_TRUE(WaitStatus(5, 4));
    EXPECT_TRUE(WaitSim(5, [](const sim::JsonValue& d) { return d["power"].Str() == "restarting"; }));
    EXPECT_TRUE(WaitStatus(5, 1));
    // The access point went first; its bridged station follows 200 ms later.
    EXPECT_TRUE(WaitStatus(6, 4) || Status(Mac(6)) == 1);
    EXPECT_TRUE(WaitStatus(6, 1));
    EXPECT_EQ(Record(6).ap_name.text(), "Temporary");  // a reboot keeps the settings

    e.SendRebootRestore({{Mac(6), Ip(6)}}, MessageType::restore);
    EXPECT_TRUE(WaitStatus(6, 5));
    EXPECT_TRUE(WaitStatus(6, 1));
    EXPECT_EQ(Record(6).ap_name.text(), factoryName);
    EXPECT_EQ(sim_->Device(Mac(6))["received"]["restore"].Int(), 1);
}

TEST_F(CommandsTest, SurveyAndBridgeMakeAStationOfASurveyedAccessPoint) {
    auto& e = utility_->Engine();
    e.ClearSurveyComplete();
    e.SendCommand(Ip(3), MessageType::site_survey);
    ASSERT_TRUE(WaitUntil([&] { return e.SurveyComplete(); }, seconds(5)));
    std::vector<config_otherwl_basic> survey;
    ASSERT_TRUE(utility_->Store().GetSurveyList(survey));
    const auto ap = std::find_if(survey.begin(), survey.end(),
                                 [&](const config_otherwl_basic& s) { return FormatMac(s.mac) == Mac(0); });
    ASSERT_NE(ap, survey.end()) << "the fleet's access point is in the survey";

    ap_info_stu r = Record(3);
    r.bridge.bridge_work_mode = 2;
    r.bridge.bridge_mac = ap->mac;
    r.bridge.bridge_channel = ap->channel;
    r.bridge.bridge_ssid = ap->ssid;
    e.SendCommand(Ip(3), MessageType::bridge, MakeBridgePayload(r));
    EXPECT_TRUE(WaitStatus(3, 2));
    const auto d = sim_->Device(Mac(3));
    EXPECT_EQ(d["work_mode"].Int(), 2);
    EXPECT_EQ(d["bridge_mac"].Str(), Mac(0));
    // The store learns the new bridge from the next record (here: after a reboot).
    e.SendCommand(Ip(3), MessageType::reboot);
    EXPECT_TRUE(WaitStatus(3, 4));
    EXPECT_TRUE(WaitStatus(3, 1));
    EXPECT_EQ(Record(3).work_mode, 2);
    std::string peer;
    EXPECT_TRUE(utility_->Store().FindBridgePeer(Mac(3), peer));
    EXPECT_EQ(peer, Mac(0));

    r = Record(4);
    r.bridge.bridge_mac = {};
    e.SendCommand(Ip(4), MessageType::bridge, MakeBridgePayload(r));
    EXPECT_TRUE(WaitStatus(4, 3));  // "Bridge fail"
}

TEST_F(CommandsTest, SetIpMovesTheDeviceAndTheOnlineListFollows) {
    auto& e = utility_->Engine();
    const std::string oldIp = Ip(2);
    ap_info_stu r = Record(2);
    const std::string newIp = oldIp.substr(0, oldIp.find('.', 3)) + ".100.7";  // same device range
    r.ip = ParseIp(newIp);
    r.ip_apply = 1;
    e.SetPendingIp(Mac(2), oldIp, newIp);
    e.SendCommand(oldIp, MessageType::set_ip, MakeIpBlock(r));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto entry = utility_->OnlineEntry(Mac(2));
            return entry && entry->IpText() == newIp;
        },
        seconds(5)));
    EXPECT_EQ(sim_->Device(Mac(2))["ip"].Str(), newIp);
    // Heartbeats now come from the new address and carry it into the store.
    EXPECT_TRUE(WaitUntil([&] { return FormatIp(Record(2).ip) == newIp; }, seconds(5)));
    // The device answers there.
    e.SendCommand(newIp, MessageType::reboot);
    EXPECT_TRUE(WaitStatus(2, 4));
}

}  // namespace
}  // namespace cpe::lab
