// The security step of the bridge wizard: the remote access point's SSID, channel and security,
// preset from the survey entry chosen, checked with the wireless form's own rules, and the
// bridge block built from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/config/check_failure.h"
#include "actions/config/wireless_choices.h"
#include "actions/config/wireless_rules.h"
#include "protocol/records.h"

namespace cpe::actions {

inline constexpr int kBridgeSecurityModeCount = 5;  // None, WEP and the three pre-shared key modes
inline constexpr std::uint8_t kStationMode = 2;     // operation mode of a bridged device

struct BridgeWepEntries {
    int authType = 0;    // 0 Open, 1 Share
    int defaultKey = 0;  // position 0-3 ("Key 1" to "Key 4")
    WepKeyEntries keys;
};

// What the operator typed and chose, as the step's controls hold it.
struct BridgeSecurityEntries {
    std::string ssid;
    int channel = 0;  // item data of the channel entry; 0 is Auto
    int secureMode = 0;
    int cipher = 0;  // kCipher...; -1 when no cipher radio is checked
    std::string key;
    BridgeWepEntries wep;
};

// The channel list of the device's radio: "Auto" (0), then 1-13 on 2.4 GHz (rf_type 0) or the
// eight 5 GHz channels 36-48 and 149-161; selects `wanted`, else "Auto".
Choices BridgeChannelChoices(std::uint8_t rfType, int wanted);
// "None" to "Mixed WPA/WPA2-PSK", not translated; item data = code.
Choices BridgeSecurityModeChoices(int mode);
// "Key 1" to "Key 4", translated; item data = position 0-3.
Choices BridgeDefaultKeyChoices(int position);

// What the step shows for an access point heard in the survey. Keys are not preset: the step
// keeps what the operator typed.
struct BridgeSecurityPreset {
    std::string ssid;  // UTF-8
    Choices channels;
    int secureMode = 0;
    int cipher = -1;       // the cipher radio to check; kCipherUnchanged leaves them
    bool wepOpen = false;  // WEP authentication goes back to "Open"
};
BridgeSecurityPreset PresetFor(std::uint8_t rfType, const config_otherwl_basic& entry);

struct BridgeSecurityCollected {
    std::optional<CheckFailure> failure;
    bridge_block block{};  // SSID in the local code set
};

// Checks in order: the SSID (not empty, at most 32 bytes as sent), then the key of the selected
// mode (8 to 64 printable characters without a backslash, or the WEP keys). On success builds the
// bridge block for the access point `accessPoint`: station mode, every byte not set here zero.
BridgeSecurityCollected CollectBridgeSecurity(const BridgeSecurityEntries& entries, const RawMac& accessPoint);

}  // namespace cpe::actions
