#include "actions/wireless_form_model.h"

#include <algorithm>

#include "actions/config_messages.h"
#include "actions/entry_text.h"
#include "actions/record_slices.h"
#include "protocol/codes.h"

namespace cpe {
namespace {

// Operation modes in which the device is a client of another access point.
bool IsClientMode(int workMode) { return workMode >= 2 && workMode <= 4; }

int WidthOfBandwidth(int bandwidth) { return bandwidth == 0 || bandwidth == 1 ? bandwidth : 2; }
int OrDefault(int value, int first, int last, int fallback) { return value >= first && value <= last ? value : fallback; }

constexpr std::uint8_t kNoExtension = 2;

int DefaultKeyOf(const WepEntries& wep) { return std::clamp(wep.defaultKey, 1, 4); }

WirelessEntries EntriesOf(const ap_info_stu& device) {
    const security_block& s = device.security;
    WirelessEntries e;
    e.location = AnsiToEntry(device.ap_name.text());
    e.ssid = AnsiToEntry(device.ssid.text());
    e.hideSsid = device.ssid_hide != 0;
    e.power = std::to_string(device.tx_power);
    e.pskCipher = OrDefault(s.wpapsk_auth_type, 0, 2, -1);
    e.pskKey = AnsiToEntry(s.wpapsk_key_value.text());
    e.pskInterval = std::to_string(s.wpapsk_key_time.get());
    e.wep.authType = OrDefault(s.wep_auth_type, 0, 1, 0);
    e.wep.defaultKey = OrDefault(s.wep_key_index, 1, 4, 1);
    for (std::size_t i = 0; i < e.wep.keys.size(); ++i) {
        e.wep.keys[i].text = AnsiToEntry(s.wep_keys[i].key_value.text());
        e.wep.keys[i].type = OrDefault(s.wep_keys[i].key_type, 0, 1, 0);
    }
    e.wpa.cipher = OrDefault(s.wpa_auth_type, 0, 2, 0);
    e.wpa.radius = {FormatIp(s.wpa_radius_ip), std::to_string(s.wpa_radius_port.get()), AnsiToEntry(s.wpa_key.text()),
                    std::to_string(s.wpa_key_time.get())};
    return e;
}

}  // namespace

WirelessFormModel::WirelessFormModel(const ap_info_stu& device)
    : device_(device),
      band_(BandOf(device.rf_type)),
      editable_(!IsClientMode(device.work_mode)),
      country_(CountryPositionOf(band_, device.country_code)),
      networkMode_(NetworkModeChoices(band_, device.network_mode).SelectedData().value_or(0)),
      widths_(InitialWidthRadios(band_)),
      secureMode_(device.security.secure_mode),
      initial_(EntriesOf(device)) {
    ApplyWidthRules(band_, device.network_mode, widths_);
    widths_.checked = WidthOfBandwidth(device.bandwidth);
    RefillChannels(device.channel);
    // Without a known country no channel list applies; the device's own channel stays on offer
    // so that saving other settings does not move the device off it.
    if (!country_ && device.channel != 0) {
        channels_.entries.push_back({std::to_string(device.channel), false, device.channel});
        channels_.SelectData(device.channel);
    }
    RefillExtensions(device.expand_channel);
}

std::string WirelessFormModel::PowerRangeText() const {
    return "(" + std::to_string(device_.tx_power_min) + "-" + std::to_string(device_.tx_power_max) + ")";
}

void WirelessFormModel::SelectCountry(std::size_t position) {
    if (position >= CountryList(band_).size())
        return;
    country_ = position;
    RefillChannels(0);
    RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectNetworkMode(int code) {
    if (!NetworkModeChoices(band_, 0).SelectData(code))
        return;
    networkMode_ = code;
    ApplyWidthRules(band_, code, widths_);
    RefillChannels(0);
    RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectWidth(int width) {
    if (width < 0 || width > 2 || !widths_.enabled[static_cast<std::size_t>(width)])
        return;
    widths_.checked = width;
    RefillChannels(0);
    RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectChannel(int channel) {
    if (channels_.SelectData(channel))
        RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectExtension(int data) { extensions_.SelectData(data); }

void WirelessFormModel::SelectSecurityMode(int code) {
    if (code >= 0 && code < kSecurityModeCount)
        secureMode_ = code;
}

const CountryEntry* WirelessFormModel::SelectedCountry() const {
    return country_ ? &CountryList(band_)[*country_] : nullptr;
}

void WirelessFormModel::RefillChannels(int wanted) {
    const CountryEntry* country = SelectedCountry();
    channels_ = ChannelChoices(country ? ChannelListFor(*country, widths_.checked) : std::string_view{}, wanted);
}

void WirelessFormModel::RefillExtensions(int wanted) {
    ExtensionQuery query;
    query.rfType = device_.rf_type;
    query.networkMode = networkMode_;
    query.width = widths_.checked;
    query.country = SelectedCountry();
    query.channelEntries = channels_.entries.size();
    query.channel = channels_.SelectedData().value_or(0);
    query.wanted = wanted;
    extensions_ = ExtensionChoices(query);
}

std::optional<CheckFailure> WirelessFormModel::CheckEntries(const WirelessEntries& e) const {
    const int minPower = device_.tx_power_min;
    const int maxPower = device_.tx_power_max;
    const std::int64_t power = ReadDecimal(e.power);
    if (e.power.empty() || power < minPower || power > maxPower)
        return CheckFailure{message::kPowerRange, ConfigField::power, {minPower, maxPower}};
    if (country_ && !CountryCodeOf(band_, *country_))
        return CheckFailure{message::kCountryWithoutCode, ConfigField::country, {}};
    if (secureMode_ == kSecurityWep)
        return CheckWepKeys(e.wep.keys, DefaultKeyOf(e.wep) - 1);
    if (IsPskMode(secureMode_)) {
        if (auto failure = CheckPskKey(e.pskKey))
            return failure;
        if (e.pskInterval.empty())
            return CheckFailure{message::kIntervalEmpty, ConfigField::pskInterval, {}};
    }
    if (IsRadiusMode(secureMode_))
        return CheckRadius(e.wpa.radius);
    return std::nullopt;
}

WirelessCollected WirelessFormModel::Collect(const WirelessEntries& entries) const {
    WirelessCollected out;
    const DeviceTextCheck name = CheckDeviceName(entries.location);
    if ((out.failure = name.failure))
        return out;
    const DeviceTextCheck ssid = CheckSsid(entries.ssid);
    if ((out.failure = ssid.failure))
        return out;
    if ((out.failure = CheckEntries(entries)))
        return out;

    ap_info_stu record = device_;
    record.ap_name.assign(name.ansi);
    out.name = SliceOf<kNameBlockSize>(record, kNameBlockOffset);
    out.nameChanged = name.ansi != device_.ap_name.text();

    ap_info_stu before = device_;
    before.rf_count = 1;
    before.ssid_count = 1;
    record.ssid_count = 1;
    WriteRadio(record, entries);
    record.ssid.assign(ssid.ansi);
    record.ssid_rf_type = record.rf_type;
    record.ssid_id = 0;
    record.ssid_hide = entries.hideSsid ? 1 : 0;
    WriteSecurity(record.security, entries);
    out.wireless = SliceOf<kWirelessBlockSize>(record, kWirelessBlockOffset);
    out.wirelessChanged = out.wireless != SliceOf<kWirelessBlockSize>(before, kWirelessBlockOffset);
    return out;
}

void WirelessFormModel::WriteRadio(ap_info_stu& record, const WirelessEntries& entries) const {
    record.rf_count = 1;
    record.rf_en = 1;
    if (country_)
        record.country_code = CountryCodeOf(band_, *country_).value_or(record.country_code);
    record.network_mode = static_cast<std::uint8_t>(networkMode_);
    record.channel = static_cast<std::uint8_t>(channels_.SelectedData().value_or(0));
    record.tx_power = ClampTo<std::uint8_t>(ReadDecimal(entries.power));
    const int width = widths_.checked;
    const bool noExtension = record.channel == 0 || (record.rf_type == 0 && width == 0) ||
                             (record.rf_type == 1 && (width == 0 || width == 2));
    // Where the form knows no pair for the channel (no country, or a radio type it has no rules
    // for) the extension channel stays the device's.
    if (noExtension)
        record.expand_channel = kNoExtension;
    else if (const auto selected = extensions_.SelectedData())
        record.expand_channel = static_cast<std::uint8_t>(*selected);
    record.bandwidth = static_cast<std::uint8_t>(width);
}

void WirelessFormModel::WriteSecurity(security_block& s, const WirelessEntries& e) const {
    s.secure_mode = static_cast<std::uint8_t>(secureMode_);
    if (secureMode_ == kSecurityWep) {
        s.wep_auth_type = static_cast<std::uint8_t>(e.wep.authType);
        s.wep_key_index = static_cast<std::uint8_t>(DefaultKeyOf(e.wep));
        WriteWepKeys(e.wep.keys, s);
    } else if (IsPskMode(secureMode_)) {
        s.wpapsk_auth_type = static_cast<std::uint8_t>(e.pskCipher == 0 || e.pskCipher == 1 ? e.pskCipher : 2);
        s.wpapsk_key_value.assign(e.pskKey);
        s.wpapsk_key_time.set(ClampTo<std::uint32_t>(ReadDecimal(e.pskInterval)));
    } else if (IsRadiusMode(secureMode_)) {
        s.wpa_auth_type = static_cast<std::uint8_t>(e.wpa.cipher);
        s.wpa_key.assign(e.wpa.radius.key);
        s.wpa_key_time.set(ClampTo<std::uint32_t>(ReadDecimal(e.wpa.radius.interval)));
        s.wpa_radius_ip = ParseIp(e.wpa.radius.server);
        s.wpa_radius_port.set(ClampTo<std::uint16_t>(ReadDecimal(e.wpa.radius.port)));
    }
}

}  // namespace cpe
