#include <set>
#include <thread>

#include "protocol/codes.h"
#include "tests/e2e/e2e_fixture.h"

namespace cpe::lab {
namespace {

TEST_F(LabTest, DiscoveryIdentifiesFiftyDevicesOnTwoSubnets) {
    ASSERT_GE(lab_->utilAddresses.size(), 2u) << "the lab needs two subnets";
    StartAndDiscover({"--devices", "50"}, 50);
    const auto devices = Devices();
    ASSERT_EQ(devices.size(), 50u);
    std::set<std::string> subnets;
    const auto online = utility_->Engine().OnlineList();
    EXPECT_EQ(online.size(), 50u);
    for (const auto& e : online)
        EXPECT_EQ(e.state, COnlineList::kStateIdentified) << e.MacText();
    for (const auto& d : devices) {
        const std::string mac = d["mac"].Str();
        const auto row = utility_->Row(mac);
        ASSERT_TRUE(row) << mac;
        EXPECT_EQ(row->ap_status.get(), 1);
        EXPECT_EQ(FormatIp(row->ip), d["ip"].Str());
        EXPECT_EQ(row->ap_type.get(), d["model"].Int());
        EXPECT_EQ(row->work_mode, d["work_mode"].Int());
        if (d["ap_name"].Str().rfind("CPE-", 0) == 0) {
            EXPECT_EQ(row->ap_name.text(), d["ap_name"].Str());
        }
        const auto entry = utility_->OnlineEntry(mac);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->IpText(), d["ip"].Str());
        subnets.insert(d["ip"].Str().substr(0, 6));
        // Every device was asked for its details and became managed by this side's address.
        EXPECT_GE(d["received"]["get_info"].Int(), 1);
        EXPECT_NE(d["manager"].Str(), "");
    }
    EXPECT_EQ(subnets.size(), 2u);
}

TEST_F(LabTest, FaultyDevicesAndGarbageDoNotDisturbTheOthers) {
    // Device 5 never sends its record; device 4 puts a wrong address into it.
    StartAndDiscover({"--devices", "6", "--no-record", "1", "--ip-mismatch", "1", "--garbage-per-s", "100", "--dup",
                      "0.3", "--delay-ms", "5", "--jitter-ms", "5", "--heartbeat-ms", "60000"},
                     5);
    const auto devices = Devices();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(utility_->RowCount(), 5u);
    const auto mute = devices[5]["mac"].Str();
    EXPECT_FALSE(utility_->Row(mute));
    const auto seen = utility_->OnlineEntry(mute);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->state, COnlineList::kStateSeen);
    std::vector<ap_info_stu> discovered;
    utility_->Engine().GetDiscovered(discovered, 10);
    ASSERT_EQ(discovered.size(), 1u);
    EXPECT_EQ(std::string(discovered[0].mac), mute);
    // The record's own address is the one the utility keeps.
    const auto liar = utility_->Row(devices[4]["mac"].Str());
    ASSERT_TRUE(liar);
    EXPECT_EQ(FormatIp(liar->ip), devices[4]["reported_ip"].Str());
    EXPECT_NE(devices[4]["reported_ip"].Str(), devices[4]["ip"].Str());
    // The garbage reached the utility and was thrown away.
    const auto stats = sim_->Request("stats");
    ASSERT_TRUE(stats);
    EXPECT_GT((*stats)["sim"]["garbage"].Int(), 0);
    const auto counters = utility_->Engine().Counters();
    EXPECT_GT(counters.rejected[0] + counters.rejected[1] + counters.rejected[2], 0u);
}

TEST_F(LabTest, HeartbeatsKeepDevicesAndAStoppedDeviceIsAgedOut) {
    StartAndDiscover({"--devices", "12", "--heartbeat-ms", "2000"}, 12);
    const auto devices = Devices();
    const std::string gone = devices[3]["mac"].Str();
    const std::string kept = devices[4]["mac"].Str();
    const auto upTimeBefore = utility_->Row(kept)->up_time.get();
    ASSERT_TRUE(sim_->Request("stop " + gone));
    const auto stopped = std::chrono::steady_clock::now();
    ASSERT_TRUE(
        WaitUntil([&] { return !utility_->Row(gone); }, std::chrono::seconds(50), std::chrono::milliseconds(200)));
    const auto after =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - stopped);
    // Its last heartbeat went out up to 2 s before the stop: 30 to 40 s after it, give or take
    // the polling step.
    EXPECT_GE(after.count(), 28000);
    EXPECT_LE(after.count(), 40500);
    EXPECT_FALSE(utility_->OnlineEntry(gone));
    // Everyone else is still there, kept by heartbeats that the utility acknowledges.
    EXPECT_EQ(utility_->RowCount(), 11u);
    EXPECT_EQ(utility_->Engine().OnlineList().size(), 11u);
    EXPECT_GT(utility_->Row(kept)->up_time.get(), upTimeBefore + 25);
    EXPECT_GT(sim_->Device(kept)["heartbeat_acks"].Int(), 10);
}

}  // namespace
}  // namespace cpe::lab
