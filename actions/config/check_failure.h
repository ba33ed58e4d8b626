// The outcome of a configuration form's checks: which message to show and which entry to put the
// focus on, or the block the form built. Views translate the message; they never decide what failed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cpe::actions {

// The entries the configuration checks look at, across the wireless form with its WEP and WPA
// parts, the IP, VLAN and timed-reboot forms (and the bridge wizard's steps, which reuse them).
enum class ConfigField : std::uint8_t {
    kLocation,
    kSsid,
    kPower,
    kCountry,
    kPskKey,
    kPskInterval,
    kWepKey1,
    kWepKey2,
    kWepKey3,
    kWepKey4,
    kRadiusServer,
    kRadiusPort,
    kRadiusKey,
    kRadiusInterval,
    kIp,
    kMask,
    kGateway,
    kPrimaryDns,
    kSecondaryDns,
    kManageVlan,
    kWlanVlan,
    kLanVlan,
    kHour,
    kMinute,
};

struct CheckFailure {
    std::string_view key;   // English key of the language files
    ConfigField field;      // the entry to focus
    std::vector<int> args;  // values for the key's "%d" places, in order

    // The translated message with its values in place of its "%d" marks.
    std::string Text() const;

    bool operator==(const CheckFailure&) const = default;
};

// The translation of `key` with `args` in place of its "%d" marks, in order.
std::string TranslateWithNumbers(std::string_view key, const std::vector<int>& args);

// What a form's collect returns: the first failing check, or the block it built and whether that
// differs from the device's own.
template <typename Block>
struct Collected {
    std::optional<CheckFailure> failure;
    bool changed = false;
    Block block{};
};

}  // namespace cpe::actions
