// The bridge wizard without its windows: the survey step's wait and rows, the security and IP
// steps' checks in order, the blocks they build, and the steps' order.
#include <algorithm>
#include <cstddef>

#include "actions/bridge/bridge_survey.h"
#include "actions/bridge/bridge_wizard.h"
#include "actions/common/entry_text.h"
#include "actions/config/config_messages.h"
#include "tests/actions/config/config_fixture.h"

namespace cpe::actions {
namespace {

using test::Device24;
using test::Device5;
using test::Ideographs;

config_otherwl_basic Entry(int secureMode, int channel = 6, std::string_view ssid = "far-ap") {
    config_otherwl_basic e{};
    e.mac = {0x02, 0xaa, 0xbb, 0xcc, 0xdd, 0x01};
    e.signal = -61;
    e.channel = static_cast<std::uint8_t>(channel);
    e.secure_mode = static_cast<std::uint8_t>(secureMode);
    e.ssid.assign(ssid);
    return e;
}

std::string_view KeyOf(const std::optional<CheckFailure>& failure) {
    return failure ? failure->key : std::string_view{};
}

TEST(BridgeSurvey, SecurityCodesShowTheirTextAndPresetModeAndCipher) {
    struct Case {
        int code;
        std::string_view text;
        int mode;
        int cipher;
    };
    // The code that breaks the table's order, and codes beyond it.
    const Case cases[] = {
        {1, "WEP", 1, kCipherUnchanged},
        {10, "WPA-PSK/TKIP&AES", 2, kCipherTkipAes},
        {12, "WPA-PSK/TKIP&AES", 0, kCipherUnchanged},
        {255, "WPA-PSK/TKIP&AES", 0, kCipherUnchanged},
    };
    for (const Case& c : cases) {
        const SurveySecurity s = SurveySecurityOf(c.code);
        EXPECT_EQ(s.text, c.text) << c.code;
        EXPECT_EQ(s.secureMode, c.mode) << c.code;
        EXPECT_EQ(s.cipher, c.cipher) << c.code;
    }
    EXPECT_TRUE(PresetFor(0, Entry(1)).wepOpen);
    EXPECT_FALSE(PresetFor(0, Entry(2)).wepOpen);
}

TEST(BridgeSurvey, RowsShowSignalImagesAtTheirThresholdsAndTheChannelAsANumber) {
    EXPECT_EQ(SignalImageOf(-128), 1);
    EXPECT_EQ(SignalImageOf(-75), 1);
    EXPECT_EQ(SignalImageOf(-74), 3);
    EXPECT_EQ(SignalImageOf(-60), 3);
    EXPECT_EQ(SignalImageOf(-59), 5);
    EXPECT_EQ(SignalImageOf(20), 5);

    const SurveyRow row = SurveyRowOf(Entry(4, 0));
    EXPECT_EQ(row.channel, "0");
    EXPECT_EQ(row.mac, "02:aa:bb:cc:dd:01");
    EXPECT_EQ(row.secure, "WPA2-PSK/AES");
    EXPECT_EQ(row.ssid, "far-ap");
    EXPECT_EQ(row.signalImage, 3);
}

TEST(BridgeSurvey, ModelSetBWaitsForTheLastPacketAtMostThirtyTicksOthersWaitOnce) {
    const BridgeTimings timings;
    SurveyWait setB(5, timings);
    EXPECT_EQ(setB.Period(), timings.surveyTick);
    EXPECT_FALSE(setB.Tick(false));
    EXPECT_FALSE(setB.Tick(false));
    EXPECT_TRUE(setB.Tick(true)) << "the last packet arrived before the third tick";
    setB.Restart();
    for (int tick = 1; tick < kSurveyMaxTicks; ++tick)
        ASSERT_FALSE(setB.Tick(false)) << tick;
    EXPECT_TRUE(setB.Tick(false)) << "a device that never answers is given up at tick 30";

    SurveyWait other(3, timings);
    EXPECT_EQ(other.Period(), timings.surveyWait);
    EXPECT_TRUE(other.Tick(false)) << "one wait, whatever arrived";
}

class BridgeSecurity : public test::ConfigTest {};

TEST_F(BridgeSecurity, ChannelListFollowsTheRadioAndFallsBackToAuto) {
    const BridgeSecurityPreset on24 = PresetFor(Device24().rf_type, Entry(0, 6));
    EXPECT_EQ(on24.channels.entries.size(), 14u);
    EXPECT_EQ(on24.channels.SelectedData(), 6);
    EXPECT_EQ(on24.channels.entries[0].text, "Auto");
    EXPECT_TRUE(on24.channels.entries[0].translate);

    const BridgeSecurityPreset on5 = PresetFor(Device5().rf_type, Entry(0, 52));
    EXPECT_EQ(on5.channels.entries.size(), 9u);
    EXPECT_EQ(on5.channels.selected, 0) << "52 is not offered: Auto";
    EXPECT_EQ(PresetFor(Device5().rf_type, Entry(0, 161)).channels.SelectedData(), 161);

    BridgeSecurityEntries e;
    e.ssid = on5.ssid;
    e.channel = on5.channels.SelectedData().value();
    EXPECT_EQ(CollectBridgeSecurity(e, {}).block.bridge_channel, 0);
}

TEST_F(BridgeSecurity, ChecksInOrder) {
    BridgeSecurityEntries e;
    e.ssid = "far-ap";
    e.secureMode = 3;
    e.key = "12345678";
    auto check = [&](auto change) {
        BridgeSecurityEntries copy = e;
        change(copy);
        return KeyOf(CollectBridgeSecurity(copy, {}).failure);
    };
    EXPECT_EQ(check([](auto&) {}), "");
    EXPECT_EQ(check([](auto& c) { c.ssid.clear(); }), message::kSsidEmpty);
    EXPECT_EQ(check([](auto& c) { c.ssid = Ideographs(10) + "ab"; }), "") << "32 bytes as sent";
    EXPECT_EQ(check([](auto& c) { c.ssid = Ideographs(10) + "abc"; }), message::kSsidTooLong);
    EXPECT_EQ(check([](auto& c) { c.ssid = Ideographs(11); }), message::kSsidTooLong);
    EXPECT_EQ(check([](auto& c) { c.key = "1234567"; }), message::kPskLength);
    EXPECT_EQ(check([](auto& c) { c.key = std::string(64, 'k'); }), "");
    EXPECT_EQ(check([](auto& c) { c.key = std::string(65, 'k'); }), message::kPskLength);
    EXPECT_EQ(check([](auto& c) { c.key = "abc\\defgh"; }), message::kPskBackslash);
    EXPECT_EQ(check([](auto& c) { c.key = "schl\xC3\xBCssel"; }), message::kPskNotAscii);
    const BridgeSecurityEntries open{"far-ap", 0, 0, 0, "", {}};
    EXPECT_FALSE(CollectBridgeSecurity(open, {}).failure) << "no key without security";
    EXPECT_EQ(KeyOf(CollectBridgeSecurity({"", 0, 0, 0, "", {}}, {}).failure), message::kSsidEmpty);
}

TEST_F(BridgeSecurity, WepChecksAreTheWirelessFormsWithAZeroBasedDefaultKey) {
    BridgeSecurityEntries e;
    e.ssid = "far-ap";
    e.secureMode = kSecurityWep;
    e.wep.defaultKey = 2;
    e.wep.keys[0] = {"  abcde", 0};
    BridgeSecurityCollected c = CollectBridgeSecurity(e, {});
    EXPECT_EQ(KeyOf(c.failure), "Please enter the WEP key3!");

    e.wep.keys[2] = {"0123456789", 1};
    e.wep.keys[3] = {"abcd", 0};
    c = CollectBridgeSecurity(e, {});
    EXPECT_EQ(KeyOf(c.failure), message::kWepAsciiLength);

    e.wep.keys[3] = {};
    e.wep.authType = 1;
    c = CollectBridgeSecurity(e, {});
    ASSERT_FALSE(c.failure) << c.failure->key;
    const security_block& s = c.block.security;
    EXPECT_EQ(s.secure_mode, 1);
    EXPECT_EQ(s.wep_auth_type, 1);
    EXPECT_EQ(s.wep_key_index, 2);
    EXPECT_EQ(s.wep_keys[0].key_value.view(), "abcde") << "key 1 goes out without its leading blanks";
    EXPECT_EQ(s.wep_keys[2].key_type, 1);
    EXPECT_EQ(s.wep_keys[2].key_value.view(), "0123456789");
    EXPECT_EQ(s.wep_keys[2].key_value.len, 10);
}

TEST_F(BridgeSecurity, BridgeBlockFieldByField) {
    BridgeSecurityEntries e;
    e.ssid = Ideographs(1) + "far";  // four characters, six bytes
    e.channel = 11;
    e.secureMode = 4;
    e.cipher = kCipherTkip;
    e.key = "passphrase";
    e.wep.keys[1] = {"abcde", 0};  // not WEP: the WEP keys stay out of the block
    const RawMac ap{0x02, 0xc9, 0x5e, 0x00, 0x00, 0x03};
    const BridgeSecurityCollected c = CollectBridgeSecurity(e, ap);
    ASSERT_FALSE(c.failure);
    const bridge_block& b = c.block;
    EXPECT_EQ(b.bridge_work_mode, 2);
    EXPECT_EQ(b.bridge_mac, ap);
    EXPECT_EQ(b.bridge_channel, 11);
    EXPECT_EQ(b.bridge_ssid.view(), e.ssid);
    EXPECT_EQ(b.reserved, 0);
    EXPECT_EQ(b.security.secure_mode, 4);
    EXPECT_EQ(b.security.wpapsk_auth_type, 1);
    EXPECT_EQ(b.security.wpapsk_key_value.view(), "passphrase");
    EXPECT_EQ(b.security.wpapsk_key_time.get(), 0u);

    // Everything after the key (key time, WEP, RADIUS) is zero.
    const auto bytes = BytesOf(b.security);
    const std::size_t afterKey = offsetof(security_block, wpapsk_key_time);
    EXPECT_TRUE(std::all_of(bytes.begin() + afterKey, bytes.end(), [](std::uint8_t x) { return x == 0; }));

    e.cipher = -1;
    EXPECT_EQ(CollectBridgeSecurity(e, ap).block.security.wpapsk_auth_type, 2) << "no radio checked: TKIP+AES";
}

class BridgeWizard : public test::ConfigTest {};

TEST_F(BridgeWizard, StepsGoForwardOnlyThroughTheirChecksAndStartAgainFromTheirSources) {
    BridgeWizardModel wizard(Device24());
    EXPECT_FALSE(wizard.BackVisible());
    EXPECT_EQ(wizard.NextKey(), "Next");

    const BridgeSecurityPreset first = wizard.ChooseAccessPoint(Entry(2, 6, "first"));
    EXPECT_EQ(wizard.Step(), BridgeStep::kSecurity);
    EXPECT_TRUE(wizard.BackVisible());
    EXPECT_EQ(first.ssid, "first");
    EXPECT_EQ(first.secureMode, 2);

    BridgeSecurityEntries e{first.ssid, 6, first.secureMode, first.cipher, "short", {}};
    EXPECT_TRUE(wizard.SubmitSecurity(e).failure);
    EXPECT_EQ(wizard.Step(), BridgeStep::kSecurity);

    wizard.Back();
    EXPECT_EQ(wizard.Step(), BridgeStep::kSurvey);
    EXPECT_FALSE(wizard.BackVisible());
    const BridgeSecurityPreset second = wizard.ChooseAccessPoint(Entry(0, 13, "second"));
    EXPECT_EQ(second.ssid, "second");
    EXPECT_EQ(second.channels.SelectedData(), 13);

    e = {second.ssid, 13, second.secureMode, second.cipher, "", {}};
    ASSERT_FALSE(wizard.SubmitSecurity(e).failure);
    EXPECT_EQ(wizard.Step(), BridgeStep::kIp);
    EXPECT_FALSE(wizard.Request());

    IpEntries ip = wizard.DeviceIpEntries();
    EXPECT_EQ(ip.ip, "192.168.1.20");
    ip.gateway = "0.0.0.0";
    EXPECT_EQ(KeyOf(wizard.SubmitIp(ip, {})), message::kGatewayInvalid);
    EXPECT_EQ(wizard.Step(), BridgeStep::kIp);
    ASSERT_FALSE(wizard.SubmitIp(wizard.DeviceIpEntries(), {}));
    EXPECT_EQ(wizard.Step(), BridgeStep::kFinish);
    EXPECT_EQ(wizard.NextKey(), "Save");

    wizard.Back();
    EXPECT_EQ(wizard.Step(), BridgeStep::kIp);
    EXPECT_EQ(wizard.NextKey(), "Next");
    ASSERT_FALSE(wizard.SubmitIp(wizard.DeviceIpEntries(), {}));
    const std::optional<BridgeRequest> request = wizard.Request();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->bridge.bridge_ssid.view(), "second");
    EXPECT_EQ(request->bridge.bridge_mac, Entry(0).mac);
}

TEST_F(BridgeWizard, IpStepIsStrictAboutGatewayAndPrimaryDnsAndAlwaysChecks) {
    ap_info_stu device = Device5();
    device.ip_gateway = ParseIp("10.9.9.1");  // the device's own gateway is in another subnet
    BridgeWizardModel wizard(device);
    wizard.ChooseAccessPoint(Entry(0));
    ASSERT_FALSE(wizard.SubmitSecurity({"far-ap", 0, 0, 0, "", {}}).failure);

    const std::vector<std::string> inUse = {"192.168.1.20", "192.168.1.21"};
    auto check = [&](auto change) {
        IpEntries e = wizard.DeviceIpEntries();
        e.gateway = "192.168.1.1";
        change(e);
        return KeyOf(wizard.SubmitIp(e, inUse));
    };
    EXPECT_EQ(KeyOf(wizard.SubmitIp(wizard.DeviceIpEntries(), inUse)), message::kGatewayOtherSubnet)
        << "unchanged settings are checked too";
    wizard.Back();
    ASSERT_FALSE(wizard.SubmitSecurity({"far-ap", 0, 0, 0, "", {}}).failure);
    EXPECT_EQ(check([](IpEntries& e) { e.gateway = ""; }), message::kGatewayInvalid);
    EXPECT_EQ(check([](IpEntries& e) { e.primaryDns = "0.0.0.0"; }), message::kPrimaryDnsInvalid);
    EXPECT_EQ(check([](IpEntries& e) { e.ip = "192.168.1.21"; }), message::kIpInUse);
    EXPECT_EQ(check([](IpEntries& e) { e.secondaryDns = "999.1"; }), "") << "the secondary DNS is not checked";
    wizard.Back();
    ASSERT_FALSE(wizard.SubmitSecurity({"far-ap", 0, 0, 0, "", {}}).failure);
    EXPECT_EQ(check([](IpEntries&) {}), "") << "the device's own address is not taken";

    const IpBlock expected{1, 192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1, 8, 8, 8, 8, 0, 0, 0, 0, 0};
    EXPECT_EQ(wizard.Request()->ip, expected);
}

TEST_F(BridgeWizard, PayloadCarriesTheSsidInTheDevicesFormThenTheIpBlock) {
    platform::SetAnsiCodeset("CP936");
    const std::optional<std::string> gbk = EntryToAnsi(Ideographs(10));
    ASSERT_TRUE(gbk);
    ASSERT_EQ(gbk->size(), 20u);
    BridgeRequest request;
    request.bridge.bridge_work_mode = 2;
    request.bridge.bridge_ssid.assign(*gbk);
    request.ip = {1, 10, 0, 0, 9};
    const BridgePayload payload = BridgePayloadOf(request);
    ASSERT_EQ(payload.size(), 326u);
    EXPECT_EQ(payload[0], 2);
    const std::size_t ssid = offsetof(bridge_block, bridge_ssid);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(payload.data()) + ssid, 30), Ideographs(10));
    EXPECT_EQ(payload[ssid + 32], 30) << "length byte = bytes sent";
    EXPECT_TRUE(std::equal(request.ip.begin(), request.ip.end(), payload.begin() + 304));
}

}  // namespace
}  // namespace cpe::actions
