// Site-survey rows: one per access point heard, refreshed by later packets, cleared on demand.
#include <gtest/gtest.h>

#include <cstring>

#include "store/sql_management.h"
#include "tests/store/store_test_support.h"

namespace cpe {
namespace {

config_otherwl_basic Entry(int n, std::int8_t signal, const char* ssid) {
    config_otherwl_basic e;
    std::memset(&e, 0, sizeof e);
    e.mac = test::MacBytes(n);
    e.signal = signal;
    e.channel = static_cast<std::uint8_t>(n % 13 + 1);
    e.secure_mode = 2;
    e.ssid.assign(ssid);
    e.exchannel = 1;
    e.bandwidth = 2;
    return e;
}

class SurveyStoreTest : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    CSqlManagement store{folder.File("data.mdb")};
};

TEST_F(SurveyStoreTest, RepeatedEntriesKeepOneRowWithTheNewerValues) {
    survey_packet first{};
    first.packet_count = 1;
    first.icount = 2;
    first.entries[0] = Entry(1, -70, "alpha");
    first.entries[1] = Entry(2, -55, "beta");
    ASSERT_TRUE(store.SaveSurveyPacket(first));

    survey_packet second{};
    second.packet_count = 1;
    second.icount = 1;
    second.entries[0] = Entry(1, -40, "alpha-2");
    ASSERT_TRUE(store.SaveSurveyPacket(second));

    std::vector<config_otherwl_basic> list;
    ASSERT_TRUE(store.GetSurveyList(list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].mac, test::MacBytes(1));
    EXPECT_EQ(list[0].signal, -40);
    EXPECT_EQ(list[0].ssid.text(), "alpha-2");
    EXPECT_EQ(std::memcmp(&list[1], &first.entries[1], sizeof list[1]), 0);  // read back whole

    config_otherwl_basic entry;
    ASSERT_TRUE(store.GetSurveyEntry(test::MacText(2), entry));
    EXPECT_EQ(entry.signal, -55);
    ASSERT_TRUE(store.GetSurveyEntry(test::MacText(9), entry));
    EXPECT_EQ(entry.mac, RawMac{});  // unknown: all zeros

    ASSERT_TRUE(store.ClearSurvey());
    list.clear();
    ASSERT_TRUE(store.GetSurveyList(list));
    EXPECT_TRUE(list.empty());
}

TEST_F(SurveyStoreTest, EntryCountNeverReachesBeyondThePacket) {
    survey_packet packet{};
    packet.icount = 255;  // a device's claim, not the packet's size
    for (std::size_t i = 0; i < kMaxSurveyEntries; ++i)
        packet.entries[i] = Entry(static_cast<int>(i) + 1, -60, "ap");
    ASSERT_TRUE(store.SaveSurveyPacket(packet));
    std::vector<config_otherwl_basic> list;
    ASSERT_TRUE(store.GetSurveyList(list));
    EXPECT_EQ(list.size(), kMaxSurveyEntries);
}

TEST_F(SurveyStoreTest, UnaskedPacketsCannotGrowTheTableBeyondOneSurvey) {
    const int packets = CSqlManagement::kMaxSurveyRows / static_cast<int>(kMaxSurveyEntries);
    survey_packet packet{};
    packet.icount = kMaxSurveyEntries;
    for (int p = 0; p <= packets; ++p) {
        for (std::size_t i = 0; i < kMaxSurveyEntries; ++i)
            packet.entries[i] = Entry(p * 32 + static_cast<int>(i) + 1, -60, "ap");
        EXPECT_EQ(store.SaveSurveyPacket(packet), p < packets) << "packet " << p;
    }
    std::vector<config_otherwl_basic> list;
    ASSERT_TRUE(store.GetSurveyList(list));
    EXPECT_EQ(list.size(), static_cast<std::size_t>(CSqlManagement::kMaxSurveyRows));

    // Access points already listed are still refreshed; after a clear the table fills again.
    packet.icount = 1;
    packet.entries[0] = Entry(1, -20, "again");
    EXPECT_TRUE(store.SaveSurveyPacket(packet));
    config_otherwl_basic entry;
    ASSERT_TRUE(store.GetSurveyEntry(test::MacText(1), entry));
    EXPECT_EQ(entry.signal, -20);
    ASSERT_TRUE(store.ClearSurvey());
    packet.entries[0] = Entry(packets * 32 + 1, -30, "new");
    EXPECT_TRUE(store.SaveSurveyPacket(packet));
}

TEST_F(SurveyStoreTest, LongSsidIsCappedAtItsArray) {
    survey_packet packet{};
    packet.icount = 1;
    packet.entries[0] = Entry(1, -1, "");
    std::memset(packet.entries[0].ssid.data, 's', 32);
    packet.entries[0].ssid.len = 40;
    ASSERT_TRUE(store.SaveSurveyPacket(packet));
    config_otherwl_basic entry;
    ASSERT_TRUE(store.GetSurveyEntry(test::MacText(1), entry));
    EXPECT_EQ(entry.ssid.len, 32);
    EXPECT_EQ(entry.ssid.view(), std::string(32, 's'));
}

}  // namespace
}  // namespace cpe
