// Search replies, heartbeats, device records, surveys and ageing, fed to the dispatchers as
// devices would send them; the online list, the store and the captured sends are checked.
#include <gtest/gtest.h>

#include <cstddef>

#include "platform/codepage.h"
#include "tests/engine/engine_harness.h"

namespace cpe::test {
namespace {

constexpr std::uint16_t kSearch = TypeCode(MessageType::search);
constexpr std::uint16_t kGetInfo = TypeCode(MessageType::get_info);

class Discovery : public ::testing::Test {
protected:
    void SetUp() override { platform::SetAnsiCodeset("UTF-8"); }
    void TearDown() override { platform::SetAnsiCodeset(""); }

    EngineHarness h;
};

TEST_F(Discovery, SearchReplyAddsSeenEntryAndAsksForDetails) {
    h.SearchReply("10.0.0.5", Mac(1), Summary("V2.0", 77, "roof", "wisp"), 107, 260);

    const auto list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].IpText(), "10.0.0.5");
    EXPECT_EQ(list[0].MacText(), MacText(1));
    EXPECT_EQ(list[0].model, 260);
    EXPECT_EQ(list[0].state, COnlineList::kStateSeen);
    EXPECT_EQ(list[0].countdown, 3);
    EXPECT_EQ(list[0].up_time, 77u);
    EXPECT_EQ(list[0].ap_name.view(), "roof");
    EXPECT_EQ(list[0].ssid.view(), "wisp");

    const auto sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].type, kSearch);
    EXPECT_EQ(sent[1].type, kGetInfo);
    for (const auto& d : sent) {
        EXPECT_EQ(d.from, SocketRole::kRequest);
        EXPECT_EQ(d.ip, "10.0.0.5");
        EXPECT_EQ(d.port, 9787);
        EXPECT_TRUE(d.payload.empty());
    }
}

TEST_F(Discovery, SearchReplyFromZeroMacIsIgnored) {
    h.SearchReply("10.0.0.5", RawMac{}, Summary("V2.0"));
    EXPECT_TRUE(h.engine().OnlineList().empty());
    EXPECT_TRUE(h.TakeSent().empty());
}

TEST(DiscoveryLimits, FullOnlineListRefusesNewDevicesOnly) {
    EngineConfig config;
    config.onlineCapacity = 2;
    EngineHarness h(config);
    h.SearchReply("10.0.0.1", Mac(1), Summary("V1"));
    h.SearchReply("10.0.0.2", Mac(2), Summary("V1"));
    h.TakeSent();
    h.SearchReply("10.0.0.3", Mac(3), Summary("V1"));
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_EQ(h.engine().Counters().onlineFull, 1u);
    h.SearchReply("10.0.0.2", Mac(2), Summary("V2"));
    EXPECT_EQ(h.TakeSent().size(), 2u) << "known devices are still served";
    EXPECT_EQ(h.engine().OnlineList().size(), 2u);
}

TEST_F(Discovery, BareSummaryCarriesVersionOnly) {
    h.SearchReply("10.0.0.5", Mac(1), Summary("V2.0", 77, "roof", "wisp"), 33);
    const auto list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].version.view(), "V2.0");
    EXPECT_EQ(list[0].up_time, 0u);
    EXPECT_EQ(list[0].ap_name.size(), 0u);
    EXPECT_EQ(list[0].ssid.size(), 0u);
    EXPECT_EQ(list[0].channel, 0);
}

TEST_F(Discovery, RepeatedRepliesRefreshAndAskUntilIdentified) {
    h.SearchReply("10.0.0.5", Mac(1), Summary("V1", 5, "a"), 107, 1);
    h.SearchReply("10.0.0.5", Mac(1), Summary("V2", 9, "b"), 107, 2);
    auto list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].model, 2);
    EXPECT_EQ(list[0].version.view(), "V2");
    EXPECT_EQ(list[0].up_time, 5u) << "a repeated reply refreshes model and version only";
    EXPECT_EQ(list[0].ap_name.view(), "a");
    EXPECT_EQ(h.TakeSent().size(), 4u) << "each reply of a seen device asks again";

    h.GetInfoReply("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));
    h.TakeSent();
    h.SearchReply("10.0.0.5", Mac(1), Summary("V3"));
    EXPECT_TRUE(h.TakeSent().empty()) << "an identified device is not asked again";
    list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].state, COnlineList::kStateIdentified);

    // The same device answering from another address is a new entry and is asked again.
    h.SearchReply("10.0.0.6", Mac(1), Summary("V3"));
    EXPECT_EQ(h.engine().OnlineList().size(), 2u);
    EXPECT_EQ(h.TakeSent().size(), 2u);
}

TEST_F(Discovery, DeviceRecordIdentifiesAndStores) {
    h.SearchReply("10.0.0.5", Mac(1), Summary("V1"));
    // The record's own address counts, not the sender's.
    h.GetInfoReply("10.0.0.99", Mac(1), DeviceRecord("10.0.0.5", "mast"), 258);

    const auto list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].state, COnlineList::kStateIdentified);
    EXPECT_EQ(list[0].IpText(), "10.0.0.5");
    EXPECT_EQ(list[0].model, 258);
    EXPECT_EQ(list[0].up_time, 1234u);
    EXPECT_EQ(list[0].version.view(), "V1.2.3");

    ap_info_stu row;
    ASSERT_TRUE(h.Row(MacText(1), row));
    EXPECT_EQ(FormatIp(row.ip), "10.0.0.5");
    EXPECT_EQ(row.ap_type.get(), 258);
    EXPECT_EQ(row.ap_status.get(), 1);
    EXPECT_EQ(row.ap_name.view(), "mast");
    EXPECT_EQ(row.channel, 6);
}

TEST_F(Discovery, AddressBytesEqualToTheKeyThatTheScramblingZeroedComeFromTheSender) {
    const std::string key = std::to_string(h.engine().PayloadKey());
    const std::string ip = "10.0." + key + "." + key;
    h.SearchReply(ip, Mac(1), Summary("V1"));
    h.GetInfoReply(ip, Mac(1), DeviceRecord(ip));
    EXPECT_EQ(h.engine().OnlineList().at(0).IpText(), ip);
    ap_info_stu row;
    ASSERT_TRUE(h.Row(MacText(1), row));
    EXPECT_EQ(FormatIp(row.ip), ip);

    // A zero the sender's address does not explain stays a zero: another address reported.
    h.SearchReply("10.0.1." + key, Mac(2), Summary("V1"));
    h.GetInfoReply("10.0.1." + key, Mac(2), DeviceRecord("10.0.0.7"));
    ASSERT_TRUE(h.Row(MacText(2), row));
    EXPECT_EQ(FormatIp(row.ip), "10.0.0.7");
}

TEST_F(Discovery, DeviceRecordsThatMatchNoEntryOrStealAnAddressAreDropped) {
    h.GetInfoReply("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));
    ap_info_stu row;
    EXPECT_FALSE(h.Row(MacText(1), row)) << "unknown MAC";

    h.Identify("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5", "first"));
    h.SearchReply("10.0.0.6", Mac(2), Summary("V1"));
    h.GetInfoReply("10.0.0.6", Mac(2), DeviceRecord("10.0.0.5", "thief"));
    EXPECT_FALSE(h.Row(MacText(2), row)) << "address held by another identified device";
    const auto list = h.engine().OnlineList();
    EXPECT_EQ(h.Find(list, MacText(2))->state, COnlineList::kStateSeen);

    // A shorter payload leaves the rest of the record zero.
    ap_info_stu full = DeviceRecord("10.0.0.6", "short");
    full.vlan_id.set(42);
    h.Deliver(PortRole::kRequest, "10.0.0.6", Mac(2), MessageType::get_info, GetInfoPayload(full).first(400));
    ASSERT_TRUE(h.Row(MacText(2), row));
    EXPECT_EQ(row.ap_name.view(), "short");
    EXPECT_EQ(row.vlan_id.get(), 0);
}

TEST_F(Discovery, ReceivedNamesAreConvertedAndPartialCharactersCut) {
    h.SearchReply("10.0.0.5", Mac(1), Summary("V1"));
    ap_info_stu r = DeviceRecord("10.0.0.5");
    // 30 ASCII bytes followed by the first two bytes of a three-byte character.
    const std::string name = std::string(30, 'n') + "\xE4\xB8";
    r.ap_name.assign(name);
    r.ssid.assign("plain");
    r.ssid.len = 5;
    h.GetInfoReply("10.0.0.5", Mac(1), r);

    ap_info_stu row;
    ASSERT_TRUE(h.Row(MacText(1), row));
    EXPECT_EQ(row.ap_name.view(), std::string(30, 'n'));
    EXPECT_EQ(row.ssid.view(), "plain");
}

TEST_F(Discovery, HeartbeatKeepsEntryFollowsAddressAndIsAcknowledged) {
    h.Identify("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));
    h.Heartbeat("10.0.0.7", Mac(1), 999, "V9");

    const auto list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].IpText(), "10.0.0.7");
    EXPECT_EQ(list[0].up_time, 999u);
    EXPECT_EQ(list[0].version.view(), "V9");

    const auto sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].from, SocketRole::kHeartbeat);
    EXPECT_EQ(sent[0].type, TypeCode(MessageType::heartbeat));
    EXPECT_EQ(sent[0].ip, "10.0.0.7");
    EXPECT_EQ(sent[0].port, 9787);

    ap_info_stu row;
    ASSERT_TRUE(h.Row(MacText(1), row));
    EXPECT_EQ(FormatIp(row.ip), "10.0.0.7");
    EXPECT_EQ(row.up_time.get(), 999u);
}

TEST_F(Discovery, HeartbeatOfUnknownDeviceIsIgnored) {
    h.Heartbeat("10.0.0.7", Mac(1), 999);
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_TRUE(h.engine().OnlineList().empty());
}

TEST_F(Discovery, IdentifiedDeviceAgesOutOnFourthSilentTick) {
    h.Identify("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));
    h.SearchReply("10.0.0.6", Mac(2), Summary("V1"));  // seen only: never aged

    for (int tick = 1; tick <= 3; ++tick) {
        h.engine().AgeOnlineList();
        EXPECT_EQ(h.engine().OnlineList().size(), 2u) << "tick " << tick;
    }
    h.Heartbeat("10.0.0.5", Mac(1), 10);
    for (int tick = 1; tick <= 3; ++tick)
        h.engine().AgeOnlineList();
    ap_info_stu row;
    EXPECT_TRUE(h.Row(MacText(1), row)) << "a heartbeat restarts the countdown";

    h.engine().AgeOnlineList();
    const auto list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].MacText(), MacText(2));
    EXPECT_FALSE(h.Row(MacText(1), row));
}

TEST_F(Discovery, ClearAndGetDiscoveredConsiderSeenEntriesOnly) {
    h.Identify("10.0.0.1", Mac(1), DeviceRecord("10.0.0.1"));
    h.SearchReply("10.0.0.2", Mac(2), Summary("V1\nbuild 7", 3, "two", "s2"), 107, 5);
    h.SearchReply("10.0.0.3", Mac(3), Summary("V1"));
    h.SearchReply("10.0.0.4", Mac(4), Summary("V1"));
    h.SearchReply("10.0.0.5", Mac(5), Summary("V7"));

    std::vector<ap_info_stu> out(3);
    h.engine().GetDiscovered(out, 10);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_STREQ(out[0].mac, MacText(2).c_str());
    EXPECT_EQ(out[0].ap_type.get(), 5);
    EXPECT_EQ(out[0].ap_status.get(), 10);
    EXPECT_EQ(FormatIp(out[0].ip), "10.0.0.2");
    EXPECT_EQ(out[0].version.view(), "V1") << "cut at the first line feed";
    EXPECT_EQ(out[0].ap_name.view(), "two");
    EXPECT_EQ(out[0].up_time.get(), 3u);

    h.engine().GetDiscovered(out, 3, "V7");
    EXPECT_TRUE(out.empty()) << "the match is the fourth seen entry, beyond max";
    h.engine().GetDiscovered(out, 4, "V7");
    ASSERT_EQ(out.size(), 1u);
    h.engine().GetDiscovered(out, 10, "10.0.0.3");
    ASSERT_EQ(out.size(), 1u);
    h.engine().GetDiscovered(out, 10, MacText(4));
    ASSERT_EQ(out.size(), 1u);
    h.engine().GetDiscovered(out, 10, "v7");
    EXPECT_TRUE(out.empty()) << "case-sensitive";

    h.engine().ClearDiscovered();
    const auto list = h.engine().OnlineList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].MacText(), MacText(1));
}

std::vector<std::uint8_t> SurveyPayload(int count, int id, int icount, int entries) {
    survey_packet p;
    std::memset(&p, 0, sizeof p);
    p.packet_count = static_cast<std::uint8_t>(count);
    p.packet_id = static_cast<std::uint8_t>(id);
    p.icount = static_cast<std::uint8_t>(icount);
    for (int i = 0; i < entries && i < 32; ++i) {
        p.entries[i].mac = {0x02, 0, 0, 0, static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(i)};
        p.entries[i].signal = -60;
        p.entries[i].ssid.assign("ap" + std::to_string(id * 100 + i));
    }
    const auto bytes = BytesOf(p);
    return {bytes.begin(), bytes.end()};
}

TEST_F(Discovery, LastSurveyPacketCompletesEvenWhenItArrivesFirst) {
    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, SurveyPayload(3, 2, 2, 2));
    EXPECT_TRUE(h.engine().SurveyComplete());
    h.engine().ClearSurveyComplete();
    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, SurveyPayload(3, 0, 3, 3));
    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, SurveyPayload(3, 1, 1, 1));
    EXPECT_FALSE(h.engine().SurveyComplete());

    std::vector<config_otherwl_basic> entries;
    ASSERT_TRUE(h.store().GetSurveyList(entries));
    EXPECT_EQ(entries.size(), 6u);
}

TEST_F(Discovery, SurveyWithOversizedCountKeepsThirtyTwoEntries) {
    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, SurveyPayload(1, 0, 200, 32));
    EXPECT_TRUE(h.engine().SurveyComplete());
    std::vector<config_otherwl_basic> entries;
    ASSERT_TRUE(h.store().GetSurveyList(entries));
    EXPECT_EQ(entries.size(), 32u);

    h.engine().ClearSurveyComplete();
    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, SurveyPayload(0, 0, 0, 0));
    EXPECT_FALSE(h.engine().SurveyComplete()) << "a packet count of 0 has no last packet";
}

TEST_F(Discovery, SurveyPacketKeepsOnlyTheEntriesItCarries) {
    // Three entries named, one and a half carried: the rest would be invented all-zero rows.
    std::vector<std::uint8_t> payload = SurveyPayload(1, 0, 3, 2);
    payload.resize(offsetof(survey_packet, entries) + sizeof(config_otherwl_basic) * 3 / 2);
    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, payload);
    std::vector<config_otherwl_basic> entries;
    ASSERT_TRUE(h.store().GetSurveyList(entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].ssid.view(), "ap0");
    EXPECT_TRUE(h.engine().SurveyComplete());
}

// A signal equal to the key arrives as 0, which no receiver hears: it is read as the key's
// value (-63 dBm with the usual key), never as the strongest signal; other signals stay.
TEST_F(Discovery, SurveySignalZeroedByTheScramblingIsReadAsTheKey) {
    const auto key = static_cast<std::int8_t>(h.engine().PayloadKey());
    survey_packet p;
    std::memset(&p, 0, sizeof p);
    p.packet_count = 1;
    p.icount = 2;
    p.entries[0].mac = {0x02, 0, 0, 0, 0, 1};
    p.entries[0].signal = key;
    p.entries[1].mac = {0x02, 0, 0, 0, 0, 2};
    p.entries[1].signal = -70;
    const auto bytes = BytesOf(p);
    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, {bytes.begin(), bytes.end()});
    std::vector<config_otherwl_basic> entries;
    ASSERT_TRUE(h.store().GetSurveyList(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].signal, key);
    EXPECT_EQ(entries[1].signal, -70);
}

TEST_F(Discovery, ASurveyKeepsOnlyThePacketsOfTheDeviceSurveyed) {
    h.Reply("10.0.0.6", Mac(2), MessageType::site_survey, SurveyPayload(1, 0, 2, 2));
    ASSERT_TRUE(h.engine().SurveyComplete());

    h.engine().BeginSurvey(MacText(1));
    EXPECT_FALSE(h.engine().SurveyComplete());
    std::vector<config_otherwl_basic> entries;
    ASSERT_TRUE(h.store().GetSurveyList(entries));
    EXPECT_TRUE(entries.empty()) << "the earlier survey's rows are gone";

    // A late reply of the device surveyed before neither completes nor fills this survey.
    h.Reply("10.0.0.6", Mac(2), MessageType::site_survey, SurveyPayload(1, 0, 2, 2));
    EXPECT_FALSE(h.engine().SurveyComplete());
    ASSERT_TRUE(h.store().GetSurveyList(entries));
    EXPECT_TRUE(entries.empty());

    h.Reply("10.0.0.5", Mac(1), MessageType::site_survey, SurveyPayload(2, 1, 3, 3));
    EXPECT_TRUE(h.engine().SurveyComplete());
    ASSERT_TRUE(h.store().GetSurveyList(entries));
    EXPECT_EQ(entries.size(), 3u);
}

// The listener hears what the store was told, in the store's form: identified records (never a
// refused one), heartbeats of known devices and the devices the ageing drops.
TEST_F(Discovery, ObserverHearsRecordsHeartbeatsAndDeparturesAfterTheStore) {
    struct Heard : DeviceObserver {
        std::vector<std::string> calls;
        void OnDeviceRecord(const ap_info_stu& r) override {
            calls.push_back("record " + std::string(r.mac) + " " + FormatIp(r.ip) + " " + ModelName(r.ap_type.get()));
        }
        void OnDeviceHeartbeat(std::string_view mac, std::string_view ip) override {
            calls.push_back("heartbeat " + std::string(mac) + " " + std::string(ip));
        }
        void OnDeviceGone(std::string_view mac) override { calls.push_back("gone " + std::string(mac)); }
    };
    auto heard = std::make_shared<Heard>();
    h.engine().SetDeviceObserver(heard);
    h.Identify("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));
    h.Deliver(PortRole::kRequest, "10.0.0.9", Mac(9), MessageType::get_info, GetInfoPayload(DeviceRecord("10.0.0.9")));
    h.Heartbeat("10.0.0.7", Mac(1), 10);
    h.Heartbeat("10.0.0.8", Mac(8), 10);
    for (int tick = 0; tick < 4; ++tick)
        h.engine().AgeOnlineList();
    h.engine().SetDeviceObserver(nullptr);
    h.Identify("10.0.0.5", Mac(1), DeviceRecord("10.0.0.5"));

    EXPECT_EQ(heard->calls, (std::vector<std::string>{"record " + MacText(1) + " 10.0.0.5 " + ModelName(1),
                                                      "heartbeat " + MacText(1) + " 10.0.0.7", "gone " + MacText(1)}));
}

}  // namespace
}  // namespace cpe::test
