// The configuration sender against an engine whose sends are captured: which requests leave, in
// which order, with which bytes, and how a newer Save ends an older sender.
#include "actions/config/config_sender.h"

#include <chrono>
#include <thread>

#include "actions/common/record_slices.h"
#include "tests/actions/config/config_fixture.h"
#include "tests/engine/engine_harness.h"

namespace cpe::actions {
namespace {

using namespace std::chrono_literals;
using test::Device5;

constexpr std::uint16_t Type(MessageType t) { return TypeCode(t); }

class ConfigSenderTest : public test::ConfigTest {
protected:
    // A Save of Device5 that changes the name, the SSID, the timed reboot, the VLANs and the address.
    config_request EverythingChanged() {
        ConfigDialogModel model(Device5());
        ConfigEntries e = model.InitialEntries();
        e.wireless.location = "north";
        e.wireless.ssid = "net-north";
        e.ip.ip = "192.168.1.77";
        model.vlan.SetEnabled(true);
        e.vlan = {"10", "20", "30"};
        model.timedReboot.SetEnabled(true);
        e.timedReboot = {"3", "15"};
        const SaveOutcome out = model.Save(e, {});
        EXPECT_FALSE(out.failure);
        return out.request;
    }

    // Collects what the engine sends until `count` datagrams are in, for at most five seconds.
    void WaitForSent(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (sent_.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(2ms);
            for (auto& d : harness_.TakeSent())
                sent_.push_back(std::move(d));
        }
    }

    test::EngineHarness harness_;
    std::vector<test::SentDatagram> sent_;
};

TEST_F(ConfigSenderTest, RequestsInOrderWithTheirBytes) {
    const config_request request = EverythingChanged();
    SendConfiguration(harness_.engine(), request, "192.168.1.20", "00:1a:ff:00:0b:01", {}, 0ms);
    const auto sent = harness_.TakeSent();
    ASSERT_EQ(sent.size(), 6u);
    const std::uint16_t order[] = {Type(MessageType::set_name),    Type(MessageType::set_wireless),
                                   Type(MessageType::set_restart), Type(MessageType::set_vlan),
                                   Type(MessageType::set_ip),      Type(MessageType::get_info)};
    const std::size_t sizes[] = {33, 328, 4, 10, 22, 0};
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].type, order[i]) << i;
        EXPECT_EQ(sent[i].payload.size(), sizes[i]) << i;
        EXPECT_EQ(sent[i].port, 9787) << i;
        EXPECT_EQ(sent[i].ip, i < 5 ? "192.168.1.20" : "192.168.1.77") << i;  // the record from the new address
    }
    std::array<std::uint8_t, 33> name{};
    std::copy(sent[0].payload.begin(), sent[0].payload.end(), name.begin());
    EXPECT_EQ(RecordWith(name, kNameBlockOffset).ap_name.view(), "north");
    EXPECT_EQ(sent[2].payload, (std::vector<std::uint8_t>{1, 0, 195, 0}));  // 03:15, no weekday
    EXPECT_EQ(sent[3].payload[kVlanApplyFlagByte], 1);
    EXPECT_EQ(sent[4].payload[kIpApplyFlagByte], 0);
    EXPECT_EQ(sent[4].payload[4], 77);
}

TEST_F(ConfigSenderTest, NameOnlyAndNothingChanged) {
    config_request request;
    SendConfiguration(harness_.engine(), request, "192.168.1.20", "00:1a:ff:00:0b:01", {}, 0ms);
    EXPECT_TRUE(harness_.TakeSent().empty());

    request.name_changed = true;
    SendConfiguration(harness_.engine(), request, "192.168.1.20", "00:1a:ff:00:0b:01", {}, 0ms);
    const auto sent = harness_.TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].type, Type(MessageType::set_name));
    EXPECT_EQ(sent[0].payload.size(), 33u);
    EXPECT_EQ(sent[1].type, Type(MessageType::get_info));

    std::stop_source stopped;
    stopped.request_stop();
    SendConfiguration(harness_.engine(), request, "192.168.1.20", "00:1a:ff:00:0b:01", stopped.get_token(), 0ms);
    EXPECT_TRUE(harness_.TakeSent().empty());
}

TEST_F(ConfigSenderTest, SsidLeavesInTheDeviceForm) {
    platform::SetAnsiCodeset("CP936");
    ConfigDialogModel model(Device5());
    ConfigEntries e = model.InitialEntries();
    e.wireless.ssid = test::Ideographs(10);
    const SaveOutcome out = model.Save(e, {});
    ASSERT_FALSE(out.failure);
    SendConfiguration(harness_.engine(), out.request, "192.168.1.20", "00:1a:ff:00:0b:01", {}, 0ms);
    const auto sent = harness_.TakeSent();
    ASSERT_EQ(sent.at(0).type, Type(MessageType::set_wireless));
    std::array<std::uint8_t, kWirelessBlockSize> block{};
    std::copy(sent[0].payload.begin(), sent[0].payload.end(), block.begin());
    const ap_info_stu r = RecordWith(block, kWirelessBlockOffset);
    EXPECT_EQ(r.ssid.len, 30);
    EXPECT_EQ(r.ssid.view(), test::Ideographs(10));
}

TEST_F(ConfigSenderTest, NewAddressFollowsTheSetIpReply) {
    const RawMac mac = test::Mac(1);
    harness_.Identify("192.168.1.20", mac, test::DeviceRecord("192.168.1.20"));
    SendConfiguration(harness_.engine(), EverythingChanged(), "192.168.1.20", FormatMac(mac), {}, 0ms);
    harness_.Reply("192.168.1.20", mac, MessageType::set_ip, {0});
    const auto online = harness_.engine().OnlineList();
    const auto* entry = harness_.Find(online, FormatMac(mac));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->IpText(), "192.168.1.77");
}

TEST_F(ConfigSenderTest, NewerSaveEndsTheOlderSender) {
    ConfigSender sender(harness_.engine(), 10s);
    const auto start = std::chrono::steady_clock::now();
    sender.Start(EverythingChanged(), "192.168.1.20", "00:1a:ff:00:0b:01");
    WaitForSent(5);  // now waiting to ask for the record

    config_request rename;
    rename.name_changed = true;
    sender.Start(rename, "192.168.1.30", "00:1a:ff:00:0b:02");
    WaitForSent(6);
    sender.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // both pauses ended on request

    for (auto& d : harness_.TakeSent())
        sent_.push_back(std::move(d));
    ASSERT_EQ(sent_.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(sent_[i].ip, "192.168.1.20") << i;
    EXPECT_EQ(sent_[4].type, Type(MessageType::set_ip));
    EXPECT_EQ(sent_[5].ip, "192.168.1.30");
    EXPECT_EQ(sent_[5].type, Type(MessageType::set_name));
}

}  // namespace
}  // namespace cpe::actions
