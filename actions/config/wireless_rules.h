// The checks of the wireless settings that the configuration dialog and the bridge wizard share:
// device name, SSID, pre-shared key, WEP keys and WPA-Enterprise (RADIUS) settings. Each returns
// the first failing check in the order the operator reads the form, or nothing when all pass.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "actions/config/check_failure.h"
#include "protocol/records.h"

namespace cpe::actions {

// A device name or SSID that passed its checks, in the ANSI code set the records hold.
struct DeviceTextCheck {
    std::optional<CheckFailure> failure;
    std::string ansi;
};

// Not empty, no CJK ideograph, and at most 32 bytes as sent.
DeviceTextCheck CheckDeviceName(std::string_view entry);
// Not empty and at most 32 bytes as sent (a CJK ideograph takes three).
DeviceTextCheck CheckSsid(std::string_view entry);

// A pre-shared key: 8 to 64 characters, no backslash, printable ASCII only.
std::optional<CheckFailure> CheckPskKey(std::string_view key);

struct WepKeyEntry {
    std::string text;
    int type = 0;  // 0 ASCII, 1 Hex; another value keeps the device's type (checked as ASCII)

    bool operator==(const WepKeyEntry&) const = default;
};
inline constexpr int kWepKeyHex = 1;
using WepKeyEntries = std::array<WepKeyEntry, 4>;

// Every non-empty key by its type (key 1 without its leading blanks), then the default key
// (position 0 to 3) must not be empty.
std::optional<CheckFailure> CheckWepKeys(const WepKeyEntries& keys, int defaultKeyPosition);
// Writes the keys' types, texts and lengths; key 1 goes out as it was checked, without its
// leading blanks. Call only with keys that passed CheckWepKeys.
void WriteWepKeys(const WepKeyEntries& keys, security_block& block);

struct RadiusEntries {
    std::string server;  // dotted quad; empty for a blank address control
    std::string port;
    std::string key;
    std::string interval;

    bool operator==(const RadiusEntries&) const = default;
};
std::optional<CheckFailure> CheckRadius(const RadiusEntries& entries);

}  // namespace cpe::actions
