#include "actions/bridge/bridge_security.h"

#include <algorithm>
#include <cstring>

#include "actions/bridge/bridge_survey.h"
#include "actions/common/entry_text.h"

namespace cpe::actions {
namespace {

constexpr int kChannels24[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
constexpr int kChannels5[] = {36, 40, 44, 48, 149, 153, 157, 161};

int CipherOf(int cipher) { return cipher == kCipherAes || cipher == kCipherTkip ? cipher : kCipherTkipAes; }

void WriteSecurity(const BridgeSecurityEntries& e, security_block& s) {
    s.secure_mode = static_cast<std::uint8_t>(e.secureMode);
    if (e.secureMode == kSecurityWep) {
        s.wep_auth_type = static_cast<std::uint8_t>(e.wep.authType);
        s.wep_key_index = static_cast<std::uint8_t>(std::clamp(e.wep.defaultKey, 0, 3));
        WriteWepKeys(e.wep.keys, s);
    } else if (IsPskMode(e.secureMode)) {
        s.wpapsk_auth_type = static_cast<std::uint8_t>(CipherOf(e.cipher));
        s.wpapsk_key_value.assign(e.key);
    }
}

}  // namespace

Choices BridgeChannelChoices(std::uint8_t rfType, int wanted) {
    Choices out;
    out.entries.push_back({"Auto", true, 0});
    auto add = [&](const auto& channels) {
        for (int channel : channels)
            out.entries.push_back({std::to_string(channel), false, channel});
    };
    if (BandOf(rfType) == RadioBand::kGhz24)
        add(kChannels24);
    else
        add(kChannels5);
    if (!out.SelectData(wanted))
        out.selected = 0;
    return out;
}

Choices BridgeSecurityModeChoices(int mode) {
    Choices out = SecurityModeChoices(0);
    out.entries.resize(kBridgeSecurityModeCount);
    out.SelectData(mode);
    return out;
}

Choices BridgeDefaultKeyChoices(int position) {
    Choices out = WepDefaultKeyChoices(1);
    for (ChoiceEntry& entry : out.entries)
        --entry.data;
    out.SelectData(position);
    return out;
}

BridgeSecurityPreset PresetFor(std::uint8_t rfType, const config_otherwl_basic& entry) {
    const SurveySecurity security = SurveySecurityOf(entry.secure_mode);
    BridgeSecurityPreset preset;
    preset.ssid = AnsiToEntry(entry.ssid.text());
    preset.channels = BridgeChannelChoices(rfType, entry.channel);
    preset.secureMode = security.secureMode;
    preset.cipher = security.cipher;
    preset.wepOpen = security.secureMode == kSecurityWep;
    return preset;
}

BridgeSecurityCollected CollectBridgeSecurity(const BridgeSecurityEntries& entries, const RawMac& accessPoint) {
    BridgeSecurityCollected out;
    const DeviceTextCheck ssid = CheckSsid(entries.ssid);
    if ((out.failure = ssid.failure))
        return out;
    if (entries.secureMode == kSecurityWep)
        out.failure = CheckWepKeys(entries.wep.keys, entries.wep.defaultKey);
    else if (IsPskMode(entries.secureMode))
        out.failure = CheckPskKey(entries.key);
    if (out.failure)
        return out;

    bridge_block& b = out.block;
    std::memset(&b, 0, sizeof b);
    b.bridge_work_mode = kStationMode;
    b.bridge_mac = accessPoint;
    b.bridge_channel = static_cast<std::uint8_t>(std::clamp(entries.channel, 0, 255));
    b.bridge_ssid.assign(ssid.ansi);
    WriteSecurity(entries, b.security);
    return out;
}

}  // namespace cpe::actions
