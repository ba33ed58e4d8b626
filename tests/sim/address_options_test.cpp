#include <gtest/gtest.h>

#include <set>

#include "sim/address.h"
#include "sim/fleet.h"
#include "sim/sim_options.h"

namespace cpe::sim {
namespace {

TEST(DeviceSubnetTest, AddressesSkipNetworkAndBroadcastHostNumbers) {
    const auto s = ParseDeviceSubnet("10.77.64.250/16");
    ASSERT_TRUE(s);
    EXPECT_EQ(Ipv4Text(s->broadcast()), "10.77.255.255");
    EXPECT_EQ(Ipv4Text(s->gateway()), "10.77.0.1");
    EXPECT_EQ(Ipv4Text(*s->address(0)), "10.77.64.250");
    EXPECT_EQ(Ipv4Text(*s->address(4)), "10.77.64.254");
    EXPECT_EQ(Ipv4Text(*s->address(5)), "10.77.65.1");  // .255 and .0 skipped
    EXPECT_EQ(Ipv4Text(*s->address(5 + 254)), "10.77.66.1");
}

TEST(DeviceSubnetTest, RunsOutOfRoomAtTheSubnetEnd) {
    const auto s = ParseDeviceSubnet("192.168.7.250/24");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->address(4));
    EXPECT_FALSE(s->address(5));
}

TEST(DeviceSubnetTest, RejectsMalformedText) {
    for (const char* bad : {"10.77.64.1", "10.77.64.1/", "10.77.64/16", "10.77.64.1/33", "10.77.64.1/16x",
                            "10.77.0.0/16", "10.77.64.255/16", " 10.77.64.1/16"})
        EXPECT_FALSE(ParseDeviceSubnet(bad)) << bad;
}

SimOptions Parse(std::vector<std::string> args) {
    auto r = ParseSimOptions(args);
    if (auto* e = std::get_if<std::string>(&r))
        ADD_FAILURE() << *e;
    return std::get<SimOptions>(r);
}

std::string Error(std::vector<std::string> args) {
    auto r = ParseSimOptions(args);
    return std::holds_alternative<std::string>(r) ? std::get<std::string>(r) : std::string();
}

TEST(SimOptionsTest, LoopbackOnlyAllowsLoopbackAndTheLabOnlyPrivateRanges) {
    EXPECT_NE(Error({"--loopback", "--subnet", "10.77.64.1/16"}), "");
    EXPECT_NE(Error({"--subnet", "127.0.77.1/24"}), "");
    EXPECT_NE(Error({"--subnet", "8.8.8.1/24"}), "");
    EXPECT_NE(Error({}), "");  // the lab always names its subnets
    EXPECT_EQ(Parse({"--loopback"}).subnets.size(), 1u);
    EXPECT_EQ(Parse({"--subnet", "172.16.64.1/16", "--subnet", "10.78.64.1/16"}).subnets.size(), 2u);
}

TEST(SimOptionsTest, ValuesAreCheckedAndLossAppliesToBothDirections) {
    const auto o = Parse({"--loopback", "--devices", "40", "--loss", "0.05", "--loss-out", "0.5", "--heartbeat-ms",
                          "250", "--setb-fetch", "tftp"});
    EXPECT_EQ(o.devices, 40u);
    EXPECT_DOUBLE_EQ(o.faults.lossIn, 0.05);
    EXPECT_DOUBLE_EQ(o.faults.lossOut, 0.05);  // --loss wins, whatever the order
    EXPECT_EQ(o.heartbeat, Millis(250));
    EXPECT_EQ(o.setBFetch, FetchProtocol::kTftp);
    EXPECT_NE(Error({"--loopback", "--loss", "1.5"}), "");
    EXPECT_NE(Error({"--loopback", "--devices"}), "");
    EXPECT_NE(Error({"--loopback", "--devices", "0"}), "");
    EXPECT_NE(Error({"--loopback", "--other-fetch", "ftp"}), "");
    EXPECT_NE(Error({"--subnet", "10.1.1.250/24", "--devices", "6"}), "");  // no room
    EXPECT_NE(Error({"--loopback", "--devices", "3", "--no-record", "2", "--ip-mismatch", "2"}), "");
}

TEST(FleetTest, DealsModelsSubnetsRolesAndFaults) {
    auto o = Parse({"--subnet", "10.77.64.1/16", "--subnet", "10.78.64.1/16", "--devices", "20", "--no-record", "2",
                    "--ip-mismatch", "1"});
    const auto fleet = BuildFleet(o, Clock::now());
    ASSERT_EQ(fleet.size(), 20u);
    std::set<std::uint16_t> models;
    std::set<std::string> macs;
    for (const auto& d : fleet) {
        models.insert(d.model);
        macs.insert(d.macText);
        EXPECT_TRUE(o.subnets[d.subnet].contains(d.ip));
        EXPECT_EQ(d.record.ap_type.get(), d.model);
        EXPECT_EQ(std::string(d.record.mac), d.macText);
        EXPECT_LE(d.record.ap_name.len, 32);
    }
    EXPECT_EQ(models.size(), 10u);
    EXPECT_EQ(macs.size(), 20u);
    EXPECT_EQ(fleet[0].subnet, 0u);
    EXPECT_EQ(fleet[1].subnet, 1u);
    // An access point with its bridged station right after it.
    EXPECT_EQ(fleet[5].record.work_mode, 1);
    EXPECT_EQ(fleet[6].record.work_mode, 2);
    EXPECT_EQ(fleet[6].record.bridge.bridge_mac, fleet[5].mac);
    // Non-ASCII names and SSIDs are present, as UTF-8.
    bool highBytes = false;
    for (const auto& d : fleet)
        for (char c : d.record.ap_name.view())
            highBytes |= static_cast<unsigned char>(c) >= 0x80;
    EXPECT_TRUE(highBytes);
    EXPECT_TRUE(fleet[19].neverSendsRecord && fleet[18].neverSendsRecord);
    EXPECT_TRUE(fleet[17].reportsWrongIp && !fleet[16].reportsWrongIp);
    EXPECT_NE(fleet[17].ReportedIp(), fleet[17].ip);
    EXPECT_TRUE(o.subnets[fleet[17].subnet].contains(fleet[17].ReportedIp()));
}

TEST(FleetTest, SurveyPacketsCarryCountIdsAndAtMost32Entries) {
    std::vector<config_otherwl_basic> entries(70);
    const auto packets = SurveyPackets(entries);
    ASSERT_EQ(packets.size(), 3u);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        EXPECT_EQ(packets[i].packet_count, 3);
        EXPECT_EQ(packets[i].packet_id, i);
    }
    EXPECT_EQ(packets[0].icount, 32);
    EXPECT_EQ(packets[2].icount, 6);
    const auto none = SurveyPackets({});
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].packet_count, 1);
    EXPECT_EQ(none[0].icount, 0);
}

}  // namespace
}  // namespace cpe::sim
