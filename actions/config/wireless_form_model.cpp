#include "actions/config/wireless_form_model.h"

#include <algorithm>

#include "actions/common/entry_text.h"
#include "actions/common/record_slices.h"
#include "actions/config/config_messages.h"
#include "actions/config/edit_limits.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

// Operation modes in which the device is a client of another access point.
bool IsClientMode(int workMode) { return workMode >= 2 && workMode <= 4; }

int WidthOfBandwidth(int bandwidth) { return bandwidth == 0 || bandwidth == 1 ? bandwidth : 2; }
// A device value as a selection: itself when a control offers it, else -1 (nothing selected).
int OrNone(int value, int first, int last) { return value >= first && value <= last ? value : -1; }

constexpr std::uint8_t kNoExtension = 2;

WirelessEntries EntriesOf(const ap_info_stu& device) {
    const security_block& s = device.security;
    WirelessEntries e;
    e.location = AnsiToEntry(device.ap_name.text());
    e.ssid = AnsiToEntry(device.ssid.text());
    e.hideSsid = device.ssid_hide != 0;
    e.power = std::to_string(device.tx_power);
    e.pskCipher = OrNone(s.wpapsk_auth_type, 0, 2);
    e.pskKey = AnsiToEntry(s.wpapsk_key_value.text());
    e.pskInterval = std::to_string(s.wpapsk_key_time.get());
    e.wep.authType = s.wep_auth_type;
    e.wep.defaultKey = s.wep_key_index;
    for (std::size_t i = 0; i < e.wep.keys.size(); ++i) {
        e.wep.keys[i].text = AnsiToEntry(s.wep_keys[i].key_value.text());
        e.wep.keys[i].type = s.wep_keys[i].key_type;
    }
    e.wpa.cipher = s.wpa_auth_type;
    e.wpa.radius = {FormatIp(s.wpa_radius_ip), std::to_string(s.wpa_radius_port.get()), AnsiToEntry(s.wpa_key.text()),
                    std::to_string(s.wpa_key_time.get())};
    return e;
}

// A name or SSID the operator left as the form showed it keeps the device's bytes, which the edit
// may not show exactly (bytes the local code set does not define).
DeviceTextCheck KeepDeviceText(DeviceTextCheck check, bool untouched, std::string_view deviceText) {
    if (!untouched || (check.failure && check.failure->key != message::kTextNotSendable))
        return check;
    return {std::nullopt, std::string(deviceText)};
}

// A key update interval the operator typed must fit its five digits; the device's own stays.
std::optional<CheckFailure> CheckInterval(const std::string& entry, const std::string& shown, ConfigField field) {
    if (entry == shown || LimitStateOf(entry, kIntervalLimit) != LimitState::kBeyond)
        return std::nullopt;
    return CheckFailure{message::kIntervalTooLong, field, {static_cast<int>(kIntervalLimit.max)}};
}

// Fields the form always sets the same way; they alone never make the block differ.
void SetFixedFields(ap_info_stu& record) {
    record.rf_count = 1;
    record.rf_en = 1;
    record.ssid_rf_type = record.rf_type;
    record.ssid_id = 0;
    record.ssid_count = 1;
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
    OfferDeviceChannel(device.channel);
    RefillExtensions(device.expand_channel);
}

// A channel the lists do not offer (a radar channel of the 5 GHz band, a channel outside the
// country's list, or no known country at all) stays on offer as the device's own, in channel
// order, so the form shows where the device is and saving other settings leaves it there.
void WirelessFormModel::OfferDeviceChannel(int channel) {
    if (channel == 0 || channels_.SelectData(channel))
        return;
    auto& entries = channels_.entries;
    const auto after = std::find_if(entries.begin(), entries.end(),
                                    [&](const ChoiceEntry& e) { return e.data != 0 && e.data > channel; });
    entries.insert(after, IsBandChannel(band_, channel) ? ChoiceEntry{std::to_string(channel), false, channel, true}
                                                        : UnknownEntry(channel, channel));
    channels_.SelectData(channel);
}

Choices WirelessFormModel::Countries() const {
    Choices countries = CountryChoices(band_, country_);
    if (!CountryPositionOf(band_, device_.country_code)) {
        countries.entries.push_back(UnknownEntry(device_.country_code, static_cast<int>(CountryList(band_).size())));
        if (!country_)
            countries.selected = static_cast<int>(countries.entries.size()) - 1;
    }
    return countries;
}

Choices WirelessFormModel::NetworkModes() const {
    Choices modes = NetworkModeChoices(band_, networkMode_);
    OfferDeviceValue(modes, device_.network_mode);
    return modes;
}

Choices WirelessFormModel::SecurityModes() const {
    Choices modes = SecurityModeChoices(secureMode_);
    OfferDeviceValue(modes, device_.security.secure_mode);
    return modes;
}

std::string WirelessFormModel::PowerRangeText() const {
    return "(" + std::to_string(device_.tx_power_min) + "-" + std::to_string(device_.tx_power_max) + ")";
}

void WirelessFormModel::SelectCountry(std::size_t position) {
    const bool deviceCountry = position == CountryList(band_).size() && !CountryPositionOf(band_, device_.country_code);
    if (position >= CountryList(band_).size() && !deviceCountry)
        return;
    country_ = deviceCountry ? std::nullopt : std::optional(position);
    chosen_.country = !deviceCountry;
    chosen_.channel = chosen_.extension = true;
    RefillChannels(0);
    RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectNetworkMode(int code) {
    if (!NetworkModeChoices(band_, 0).SelectData(code) && code != device_.network_mode)
        return;
    networkMode_ = code;
    chosen_.networkMode = chosen_.width = chosen_.channel = chosen_.extension = true;
    ApplyWidthRules(band_, code, widths_);
    RefillChannels(0);
    RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectWidth(int width) {
    if (width < 0 || width > 2 || !widths_.enabled[static_cast<std::size_t>(width)])
        return;
    widths_.checked = width;
    chosen_.width = chosen_.channel = chosen_.extension = true;
    RefillChannels(0);
    RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectChannel(int channel) {
    if (!channels_.SelectData(channel))
        return;
    chosen_.channel = chosen_.extension = true;
    RefillExtensions(kNoExtension);
}

void WirelessFormModel::SelectExtension(int data) {
    if (extensions_.SelectData(data))
        chosen_.extension = true;
}

void WirelessFormModel::SelectSecurityMode(int code) {
    if ((code >= 0 && code < kSecurityModeCount) || code == device_.security.secure_mode)
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
        return CheckFailure{message::kPowerRange, ConfigField::kPower, {minPower, maxPower}};
    if (country_ && !CountryCodeOf(band_, *country_))
        return CheckFailure{message::kCountryWithoutCode, ConfigField::kCountry, {}};
    if (secureMode_ == kSecurityWep) {
        const bool offered = e.wep.defaultKey >= 1 && e.wep.defaultKey <= 4;
        return CheckWepKeys(e.wep.keys, (offered ? e.wep.defaultKey : device_.security.wep_key_index) - 1);
    }
    if (IsPskMode(secureMode_)) {
        if (auto failure = CheckPskKey(e.pskKey))
            return failure;
        if (e.pskInterval.empty())
            return CheckFailure{message::kIntervalEmpty, ConfigField::kPskInterval, {}};
        return CheckInterval(e.pskInterval, initial_.pskInterval, ConfigField::kPskInterval);
    }
    if (IsRadiusMode(secureMode_)) {
        if (auto failure = CheckRadius(e.wpa.radius))
            return failure;
        return CheckInterval(e.wpa.radius.interval, initial_.wpa.radius.interval, ConfigField::kRadiusInterval);
    }
    return std::nullopt;
}

bool WirelessFormModel::Untouched(const WirelessEntries& entries) const {
    return entries == initial_ && !chosen_.Any() && secureMode_ == device_.security.secure_mode;
}

WirelessCollected WirelessFormModel::Collect(const WirelessEntries& entries) const {
    WirelessCollected out;
    if (Untouched(entries)) {
        ap_info_stu unchanged = device_;
        SetFixedFields(unchanged);
        out.name = SliceOf<kNameBlockSize>(device_, kNameBlockOffset);
        out.wireless = SliceOf<kWirelessBlockSize>(unchanged, kWirelessBlockOffset);
        return out;
    }
    const DeviceTextCheck name = KeepDeviceText(CheckDeviceName(entries.location),
                                                entries.location == initial_.location, device_.ap_name.text());
    if ((out.failure = name.failure))
        return out;
    const DeviceTextCheck ssid =
        KeepDeviceText(CheckSsid(entries.ssid), entries.ssid == initial_.ssid, device_.ssid.text());
    if ((out.failure = ssid.failure))
        return out;
    if ((out.failure = CheckEntries(entries)))
        return out;

    ap_info_stu record = device_;
    out.nameChanged = name.ansi != device_.ap_name.text();
    if (out.nameChanged)
        record.ap_name.assign(name.ansi);
    out.name = SliceOf<kNameBlockSize>(record, kNameBlockOffset);

    ap_info_stu before = device_;
    SetFixedFields(before);
    SetFixedFields(record);
    WriteRadio(record, entries);
    if (ssid.ansi != device_.ssid.text())
        record.ssid.assign(ssid.ansi);
    if (entries.hideSsid != initial_.hideSsid)
        record.ssid_hide = entries.hideSsid ? 1 : 0;
    WriteSecurity(record.security, entries);
    out.wireless = SliceOf<kWirelessBlockSize>(record, kWirelessBlockOffset);
    out.wirelessChanged = out.wireless != SliceOf<kWirelessBlockSize>(before, kWirelessBlockOffset);
    return out;
}

void WirelessFormModel::WriteRadio(ap_info_stu& record, const WirelessEntries& entries) const {
    if (chosen_.country && country_)
        record.country_code = CountryCodeOf(band_, *country_).value_or(record.country_code);
    if (chosen_.networkMode)
        record.network_mode = static_cast<std::uint8_t>(networkMode_);
    if (chosen_.channel)
        record.channel = static_cast<std::uint8_t>(channels_.SelectedData().value_or(0));
    record.tx_power = ClampTo<std::uint8_t>(ReadDecimal(entries.power));
    const int width = widths_.checked;
    if (chosen_.width)
        record.bandwidth = static_cast<std::uint8_t>(width);
    if (!chosen_.extension)
        return;
    const bool noExtension = record.channel == 0 || (record.rf_type == 0 && width == 0) ||
                             (record.rf_type == 1 && (width == 0 || width == 2));
    // Where the form knows no pair for the channel (no country, or a radio type it has no rules
    // for) the extension channel stays the device's.
    if (noExtension)
        record.expand_channel = kNoExtension;
    else if (const auto selected = extensions_.SelectedData())
        record.expand_channel = static_cast<std::uint8_t>(*selected);
}

void WirelessFormModel::WriteSecurity(security_block& s, const WirelessEntries& e) const {
    const WirelessEntries& shown = initial_;
    auto set = [](std::uint8_t& field, int selection) {
        if (selection >= 0)
            field = static_cast<std::uint8_t>(selection);
    };
    s.secure_mode = static_cast<std::uint8_t>(secureMode_);
    if (secureMode_ == kSecurityWep) {
        set(s.wep_auth_type, e.wep.authType);
        set(s.wep_key_index, e.wep.defaultKey);
        WriteWepKeys(e.wep.keys, s);
    } else if (IsPskMode(secureMode_)) {
        set(s.wpapsk_auth_type, e.pskCipher);
        if (e.pskKey != shown.pskKey)
            s.wpapsk_key_value.assign(e.pskKey);
        s.wpapsk_key_time.set(ClampTo<std::uint32_t>(ReadDecimal(e.pskInterval)));
    } else if (IsRadiusMode(secureMode_)) {
        set(s.wpa_auth_type, e.wpa.cipher);
        if (e.wpa.radius.key != shown.wpa.radius.key)
            s.wpa_key.assign(e.wpa.radius.key);
        s.wpa_key_time.set(ClampTo<std::uint32_t>(ReadDecimal(e.wpa.radius.interval)));
        s.wpa_radius_ip = ParseIp(e.wpa.radius.server);
        s.wpa_radius_port.set(ClampTo<std::uint16_t>(ReadDecimal(e.wpa.radius.port)));
    }
}

}  // namespace cpe::actions
