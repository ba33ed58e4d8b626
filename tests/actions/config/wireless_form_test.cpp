// The wireless form model: what it shows for a device, how the operator's choices move the
// channel lists, the checks in their order, and the name and wireless blocks it builds.
#include "actions/config/wireless_form_model.h"

#include "actions/common/record_slices.h"
#include "actions/config/config_messages.h"
#include "tests/actions/config/config_fixture.h"

namespace cpe::actions {
namespace {

using test::ConfigTest;
using test::Device24;
using test::Device5;
using test::Ideographs;

std::string_view FailureKey(const WirelessCollected& c) { return c.failure ? c.failure->key : std::string_view{}; }

ap_info_stu Built(const WirelessCollected& c) { return RecordWith(c.wireless, kWirelessBlockOffset); }

class WirelessFormTest : public ConfigTest {};

TEST_F(WirelessFormTest, StartUpShowsTheDevice) {
    const WirelessFormModel form(Device5());
    EXPECT_TRUE(form.Editable());
    EXPECT_EQ(form.Countries().selected, 31);  // United States
    EXPECT_EQ(form.NetworkModes().SelectedData(), 2);
    EXPECT_EQ(form.Widths().checked, 1);
    EXPECT_EQ(form.Widths().thirdLabel, "80MHz");
    EXPECT_EQ(form.Channels().SelectedData(), 36);
    ASSERT_EQ(form.Extensions().entries.size(), 1u);
    EXPECT_EQ(form.Extensions().entries[0].text, "40");
    EXPECT_EQ(form.Extensions().selected, 0);
    EXPECT_EQ(form.Visibility(), (SecurityVisibility{true, false, false}));
    EXPECT_EQ(form.InitialEntries().ssid, "net5");
    EXPECT_EQ(form.InitialEntries().pskInterval, "3600");
    EXPECT_EQ(form.PowerRangeText(), "(8-26)");

    ap_info_stu station = Device5();
    station.work_mode = 2;
    EXPECT_FALSE(WirelessFormModel(station).Editable());
}

TEST_F(WirelessFormTest, CountryWidthAndModeStartAgainFromAuto) {
    WirelessFormModel form(Device5());
    form.SelectChannel(149);
    EXPECT_EQ(form.Extensions().entries.at(0).text, "153");
    form.SelectCountry(4);  // China
    EXPECT_EQ(form.Channels().SelectedData(), 0);
    form.SelectChannel(157);
    form.SelectWidth(0);
    EXPECT_EQ(form.Channels().SelectedData(), 0);
    EXPECT_FALSE(form.Extensions().enabled);
    form.SelectWidth(1);
    form.SelectChannel(157);
    form.SelectNetworkMode(0);  // 11a: 20 MHz only
    EXPECT_EQ(form.Channels().SelectedData(), 0);
    EXPECT_EQ(form.Widths().checked, 0);
    form.SelectWidth(1);  // disabled: ignored
    EXPECT_EQ(form.Widths().checked, 0);

    WirelessFormModel g(Device24());
    g.SelectWidth(1);
    g.SelectChannel(6);
    EXPECT_EQ(g.Extensions().entries.size(), 2u);
    g.SelectNetworkMode(1);  // 11b
    EXPECT_EQ(g.Widths().enabled, (std::array<bool, 3>{true, false, false}));
    EXPECT_FALSE(g.Extensions().enabled);
    EXPECT_TRUE(g.Extensions().entries.empty());
}

TEST_F(WirelessFormTest, UntouchedFormChangesNothing) {
    for (const ap_info_stu& device : {Device5(), Device24()}) {
        const WirelessFormModel form(device);
        const WirelessCollected c = form.Collect(form.InitialEntries());
        ASSERT_FALSE(c.failure) << c.failure->key;
        EXPECT_FALSE(c.nameChanged);
        EXPECT_FALSE(c.wirelessChanged);
    }
    // A country the device reports but the form does not offer is shown as unknown and keeps its
    // code, its channel and its extension channel, also when the operator changes the SSID.
    ap_info_stu unknown = Device5();
    unknown.country_code = 40;  // past the 5 GHz code table
    WirelessFormModel form(unknown);
    const Choices countries = form.Countries();
    EXPECT_EQ(countries.entries.back().text, "Unknown (40)");
    EXPECT_EQ(countries.SelectedData(), static_cast<int>(kCountryCount));
    EXPECT_EQ(form.Channels().SelectedData(), 36);
    EXPECT_TRUE(form.Extensions().entries.empty());
    const WirelessCollected c = form.Collect(form.InitialEntries());
    EXPECT_FALSE(c.wirelessChanged);
    WirelessEntries renamed = form.InitialEntries();
    renamed.ssid = "renamed";
    EXPECT_EQ(Built(form.Collect(renamed)).country_code, 40);
    // Another country and back to the unknown one: the device's code again.
    form.SelectCountry(4);
    EXPECT_EQ(form.Countries().entries.size(), kCountryCount + 1);
    form.SelectCountry(kCountryCount);
    EXPECT_EQ(form.Countries().SelectedData(), static_cast<int>(kCountryCount));
    EXPECT_EQ(Built(form.Collect(renamed)).country_code, 40);
}

// A device whose own security settings fail the checks (an empty or unprintable key) is saved
// for a change of another form while the wireless form is untouched; touching it checks them.
TEST_F(WirelessFormTest, UntouchedFormIsNeitherCheckedNorSent) {
    for (const std::string& stored : {std::string(), std::string("\x01\x02passphrase")}) {
        ap_info_stu device = Device5();
        device.security.secure_mode = 3;
        device.security.wpapsk_key_value.assign(stored);
        WirelessFormModel form(device);
        const WirelessCollected untouched = form.Collect(form.InitialEntries());
        ASSERT_FALSE(untouched.failure) << untouched.failure->key;
        EXPECT_FALSE(untouched.nameChanged || untouched.wirelessChanged);
        WirelessEntries e = form.InitialEntries();
        e.hideSsid = !e.hideSsid;
        EXPECT_EQ(FailureKey(form.Collect(e)), stored.empty() ? message::kPskLength : message::kPskNotAscii);
        form.SelectSecurityMode(0);
        EXPECT_FALSE(form.Collect(form.InitialEntries()).failure) << "no key in an open network";
    }
}

// What the form cannot show is never changed behind the operator's back: a Save that changes
// other settings sends the device's own values for them, and a name alone never sends the
// wireless block.
TEST_F(WirelessFormTest, ValuesTheFormCannotShowStayTheDevices) {
    auto withSsid = [](const WirelessFormModel& form, std::string ssid) {
        WirelessEntries e = form.InitialEntries();
        e.ssid = std::move(ssid);
        return form.Collect(e);
    };

    // A radar channel is shown as the device's own entry, in channel order, and kept.
    ap_info_stu radar = Device5();
    radar.channel = 100;
    radar.expand_channel = 1;
    WirelessFormModel dfs(radar);
    EXPECT_EQ(dfs.Channels().SelectedData(), 100);
    const auto& channels = dfs.Channels().entries;
    const auto shown =
        std::find_if(channels.begin(), channels.end(), [](const ChoiceEntry& c) { return c.data == 100; });
    ASSERT_NE(shown, channels.end());
    EXPECT_TRUE(shown->deviceOnly);
    EXPECT_EQ(std::prev(shown)->data, 48);
    EXPECT_EQ(std::next(shown)->data, 149);
    const WirelessCollected renamed = withSsid(dfs, "renamed");
    ASSERT_FALSE(renamed.failure);
    EXPECT_TRUE(renamed.wirelessChanged);
    const ap_info_stu kept = Built(renamed);
    EXPECT_EQ(kept.channel, 100);
    EXPECT_EQ(kept.expand_channel, 1);
    EXPECT_EQ(kept.bandwidth, 1);
    EXPECT_EQ(kept.ssid.text(), "renamed");
    dfs.SelectChannel(149);  // chosen by the operator: taken, the radar entry stays on offer
    EXPECT_EQ(Built(dfs.Collect(dfs.InitialEntries())).channel, 149);
    EXPECT_EQ(Built(dfs.Collect(dfs.InitialEntries())).expand_channel, 0);
    dfs.SelectWidth(1);  // a new width starts the lists again: the radar channel is gone
    EXPECT_TRUE(std::none_of(dfs.Channels().entries.begin(), dfs.Channels().entries.end(),
                             [](const ChoiceEntry& c) { return c.data == 100; }));

    // Network mode 3 of a 2.4 GHz radio shows as "Unknown (3)" and stays 3; so do codes and
    // selections outside the combos, an unknown security mode, and a hide flag other than 0/1.
    ap_info_stu odd = Device24();
    odd.network_mode = 3;
    odd.bandwidth = 7;
    odd.expand_channel = 0;
    odd.ssid_hide = 2;
    odd.security.secure_mode = 9;
    odd.security.wpapsk_auth_type = 5;
    odd.security.wep_auth_type = 4;
    odd.security.wep_key_index = 0;
    odd.security.wpa_auth_type = 3;
    const WirelessFormModel oddForm(odd);
    EXPECT_EQ(oddForm.NetworkModes().SelectedData(), 3);
    EXPECT_EQ(oddForm.SecurityModes().SelectedData(), 9);
    EXPECT_EQ(oddForm.InitialEntries().pskCipher, -1);
    EXPECT_EQ(WepAuthChoices(oddForm.InitialEntries().wep.authType).SelectedData(), 4);
    EXPECT_EQ(oddForm.InitialEntries().wpa.cipher, 3);
    const ap_info_stu same = Built(withSsid(oddForm, "other"));
    EXPECT_EQ(same.network_mode, 3);
    EXPECT_EQ(same.bandwidth, 7);
    EXPECT_EQ(same.expand_channel, 0);
    EXPECT_EQ(same.ssid_hide, 2);
    EXPECT_EQ(same.security.secure_mode, 9);
    EXPECT_EQ(same.security.wpapsk_auth_type, 5);
    EXPECT_EQ(same.security.wep_auth_type, 4);
    EXPECT_EQ(same.security.wep_key_index, 0);
    EXPECT_EQ(same.security.wpa_auth_type, 3);

    // Only the name changes: no wireless block, even where the form would set fixed fields
    // differently, or the device's texts carry bytes after their end.
    ap_info_stu loose = Device5();
    loose.rf_en = 0;
    loose.ssid_id = 2;
    loose.ssid_count = 3;
    loose.ssid.data[6] = 'x';
    loose.security.wpapsk_key_value.data[20] = 'y';
    const WirelessFormModel looseForm(loose);
    WirelessEntries nameOnly = looseForm.InitialEntries();
    nameOnly.location = "tower-9";
    const WirelessCollected c = looseForm.Collect(nameOnly);
    ASSERT_FALSE(c.failure);
    EXPECT_TRUE(c.nameChanged);
    EXPECT_FALSE(c.wirelessChanged);

    // An SSID the local code set cannot show is kept as the device's bytes while untouched.
    platform::SetAnsiCodeset("CP936");
    ap_info_stu undefinedBytes = Device5();
    undefinedBytes.ssid.assign("net\x81");
    const WirelessFormModel raw(undefinedBytes);
    WirelessEntries e = raw.InitialEntries();
    e.location = "tower-2";
    const WirelessCollected rawSave = raw.Collect(e);
    ASSERT_FALSE(rawSave.failure) << rawSave.failure->key;
    EXPECT_FALSE(rawSave.wirelessChanged);
}

TEST_F(WirelessFormTest, NameAndSsidAreMeasuredAsSent) {
    const WirelessFormModel form(Device5());
    auto collect = [&](std::string location, std::string ssid) {
        WirelessEntries e = form.InitialEntries();
        e.location = std::move(location);
        e.ssid = std::move(ssid);
        return form.Collect(e);
    };
    EXPECT_EQ(FailureKey(collect("", "")), message::kNameEmpty);
    EXPECT_EQ(FailureKey(collect("a" + Ideographs(1), "")), message::kNameCjk);
    EXPECT_EQ(FailureKey(collect("tower", "")), message::kSsidEmpty);
    EXPECT_FALSE(collect("tower", Ideographs(10)).failure);
    EXPECT_EQ(FailureKey(collect("tower", Ideographs(11))), message::kSsidTooLong);
    EXPECT_FALSE(collect(std::string(32, 'n'), std::string(32, 's')).failure);
    EXPECT_EQ(FailureKey(collect("tower", std::string(33, 's'))), message::kSsidTooLong);
    // 16 accented letters take 32 bytes and pass; 17 would be cut inside a letter.
    std::string accents;
    for (int i = 0; i < 17; ++i)
        accents += "\xC3\xA9";
    EXPECT_FALSE(collect(accents.substr(0, 32), "x").failure);
    const WirelessCollected tooLong = collect(accents, "x");
    EXPECT_EQ(FailureKey(tooLong), message::kNameTooLong);
    EXPECT_EQ(tooLong.failure->field, ConfigField::kLocation);

    // In a GBK locale eleven ideographs take 22 bytes locally but 33 as sent.
    platform::SetAnsiCodeset("CP936");
    EXPECT_EQ(FailureKey(collect("tower", Ideographs(11))), message::kSsidTooLong);
    const WirelessCollected ten = collect("tower", Ideographs(10));
    ASSERT_FALSE(ten.failure);
    EXPECT_EQ(Built(ten).ssid.len, 20);  // kept in the local code set until it is sent
    EXPECT_EQ(FailureKey(collect("tower", "\xF0\x9F\x93\xB6")), message::kTextNotSendable);
}

TEST_F(WirelessFormTest, PowerRangeAndCountryWithoutCode) {
    WirelessFormModel form(Device5());
    auto power = [&](std::string text) {
        WirelessEntries e = form.InitialEntries();
        e.power = std::move(text);
        return form.Collect(e);
    };
    EXPECT_FALSE(power("8").failure);
    EXPECT_FALSE(power("26").failure);
    const WirelessCollected low = power("7");
    ASSERT_TRUE(low.failure);
    EXPECT_EQ(low.failure->key, message::kPowerRange);
    EXPECT_EQ(low.failure->Text(), "Power value range:8-26");
    EXPECT_TRUE(power("").failure);
    EXPECT_TRUE(power("27").failure);
    EXPECT_TRUE(power("4294967316").failure);  // 2^32 + 20 must not wrap to 20

    form.SelectCountry(0);  // Australia: no 5 GHz code
    const WirelessCollected c = form.Collect(form.InitialEntries());
    ASSERT_TRUE(c.failure);
    EXPECT_EQ(c.failure->key, message::kCountryWithoutCode);
    EXPECT_EQ(c.failure->field, ConfigField::kCountry);
}

TEST_F(WirelessFormTest, PreSharedKeyChecks) {
    const WirelessFormModel form(Device5());
    auto key = [&](std::string text, std::string interval = "60") {
        WirelessEntries e = form.InitialEntries();
        e.pskKey = std::move(text);
        e.pskInterval = std::move(interval);
        return form.Collect(e);
    };
    EXPECT_EQ(FailureKey(key("1234567")), message::kPskLength);
    EXPECT_EQ(FailureKey(key(std::string(65, 'k'))), message::kPskLength);
    EXPECT_EQ(FailureKey(key("abc\\defgh")), message::kPskBackslash);
    EXPECT_EQ(FailureKey(key("p\xC3\xA4ssword1")), message::kPskNotAscii);
    EXPECT_EQ(FailureKey(key("pass\tword")), message::kPskNotAscii);
    EXPECT_EQ(FailureKey(key("password", "")), message::kIntervalEmpty);
    EXPECT_EQ(FailureKey(key("password", "99999999999")), message::kIntervalTooLong) << "never cut to fit";
    const WirelessCollected ok = key(std::string(64, 'k'), "99999");
    ASSERT_FALSE(ok.failure);
    const security_block& s = Built(ok).security;
    EXPECT_EQ(s.wpapsk_key_value.len, 64);
    EXPECT_EQ(s.wpapsk_key_time.get(), 99999u);
}

TEST_F(WirelessFormTest, WepKeyChecks) {
    WirelessFormModel form(Device5());
    form.SelectSecurityMode(kSecurityWep);
    auto wep = [&](std::array<WepKeyEntry, 4> keys, int defaultKey = 1) {
        WirelessEntries e = form.InitialEntries();
        e.wep.keys = std::move(keys);
        e.wep.defaultKey = defaultKey;
        return form.Collect(e);
    };
    EXPECT_EQ(FailureKey(wep({{{"abcd", 0}}})), message::kWepAsciiLength);
    EXPECT_EQ(FailureKey(wep({{{"abcdef ghijkl", 0}}})), message::kWepAsciiChars);
    EXPECT_EQ(FailureKey(wep({{{"0123456789a", 1}}})), message::kWepHexLength);
    EXPECT_EQ(FailureKey(wep({{{"0123456789abcdefABCDEF012g", 1}}})), message::kWepHexChars);
    const WirelessCollected later = wep({{{"abcde", 0}, {"", 0}, {"bad", 0}}});
    ASSERT_TRUE(later.failure);
    EXPECT_EQ(later.failure->field, ConfigField::kWepKey3);
    EXPECT_FALSE(wep({{{"abcde", 0}, {"", 0}}}).failure);  // an empty key 2 is fine ...
    EXPECT_EQ(FailureKey(wep({{{"abcde", 0}, {"", 0}}}, 2)), message::kWepDefaultKeyEmpty[1]);  // ... unless default

    // Key 1 is checked without its leading blanks, and sent as it was checked.
    const WirelessCollected ok = wep({{{"  abcde", 0}, {"", 0}, {"0123456789", 1}, {"", 0}}}, 3);
    ASSERT_FALSE(ok.failure);
    const security_block& s = Built(ok).security;
    EXPECT_EQ(s.secure_mode, 1);
    EXPECT_EQ(s.wep_key_index, 3);
    EXPECT_EQ(s.wep_keys[0].key_value.view(), "abcde");
    EXPECT_EQ(s.wep_keys[2].key_type, 1);
    EXPECT_EQ(s.wep_keys[2].key_value.len, 10);
    EXPECT_EQ(s.wpapsk_key_value.text(), "secret12");  // the pre-shared key stays the device's
}

TEST_F(WirelessFormTest, RadiusChecks) {
    WirelessFormModel form(Device5());
    form.SelectSecurityMode(6);
    auto radius = [&](RadiusEntries r) {
        WirelessEntries e = form.InitialEntries();
        e.wpa.radius = std::move(r);
        return form.Collect(e);
    };
    for (const char* server : {"10.0.0.255", "127.0.0.1", "10.0.0.0", "", "224.0.0.9"})
        EXPECT_EQ(FailureKey(radius({server, "1812", "key", "0"})), message::kRadiusServer) << server;
    for (const char* port : {"", "0", "65536", "4294967297"})
        EXPECT_EQ(FailureKey(radius({"10.0.0.5", port, "key", "0"})), message::kRadiusPort) << port;
    EXPECT_EQ(FailureKey(radius({"10.0.0.5", "1812", "", "0"})), message::kRadiusKeyLength);
    EXPECT_EQ(FailureKey(radius({"10.0.0.5", "1812", std::string(65, 'k'), "0"})), message::kRadiusKeyLength);
    EXPECT_EQ(FailureKey(radius({"10.0.0.5", "1812", "a\\b", "0"})), message::kRadiusKeyBackslash);
    EXPECT_EQ(FailureKey(radius({"10.0.0.5", "1812", "k\xC3\xA9y", "0"})), message::kRadiusKeyNotAscii);
    EXPECT_EQ(FailureKey(radius({"10.0.0.5", "1812", "key", ""})), message::kIntervalEmpty);

    const WirelessCollected ok = radius({"10.1.2.3", "65535", "radius key", "600"});
    ASSERT_FALSE(ok.failure);
    const security_block& s = Built(ok).security;
    EXPECT_EQ(s.wpa_radius_ip, (RawIp{10, 1, 2, 3}));
    EXPECT_EQ(s.wpa_radius_port.get(), 65535);
    EXPECT_EQ(s.wpa_key.len, 10);
    EXPECT_EQ(s.wpa_key_time.get(), 600u);
}

TEST_F(WirelessFormTest, BlocksCarryTheChoices) {
    WirelessFormModel form(Device5());
    form.SelectWidth(2);  // 80 MHz
    form.SelectChannel(149);
    WirelessEntries e = form.InitialEntries();
    e.location = "tower-2";
    e.hideSsid = true;
    e.power = "24";
    e.pskCipher = -1;  // no cipher radio checked: the device's cipher stays
    const WirelessCollected c = form.Collect(e);
    ASSERT_FALSE(c.failure);
    EXPECT_TRUE(c.nameChanged);
    EXPECT_TRUE(c.wirelessChanged);
    EXPECT_EQ(RecordWith(c.name, kNameBlockOffset).ap_name.view(), "tower-2");
    const ap_info_stu r = Built(c);
    EXPECT_EQ(r.bandwidth, 2);
    EXPECT_EQ(r.expand_channel, 2);
    EXPECT_EQ(r.channel, 149);
    EXPECT_EQ(r.tx_power, 24);
    EXPECT_EQ(r.ssid_hide, 1);
    EXPECT_EQ(r.country_code, 28);
    EXPECT_EQ(r.security.wpapsk_auth_type, 0);

    // 2.4 GHz, 40 MHz on channel 6 with the upper extension.
    WirelessFormModel g(Device24());
    g.SelectWidth(1);
    g.SelectChannel(6);
    g.SelectExtension(1);
    const ap_info_stu r24 = Built(g.Collect(g.InitialEntries()));
    EXPECT_EQ(r24.bandwidth, 1);
    EXPECT_EQ(r24.expand_channel, 1);
    EXPECT_EQ(r24.rf_count, 1);
    EXPECT_EQ(r24.ssid_count, 1);
}

}  // namespace
}  // namespace cpe::actions
