#include "actions/config/wireless_rules.h"

#include <algorithm>

#include "actions/common/entry_text.h"
#include "actions/config/config_messages.h"
#include "actions/config/edit_limits.h"
#include "platform/unicode_text.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

constexpr std::size_t kPskMinChars = 8;
constexpr int kPortMax = 65535;

CheckFailure Fail(std::string_view key, ConfigField field) { return {key, field, {}}; }

ConfigField WepKeyField(std::size_t index) {
    return static_cast<ConfigField>(static_cast<int>(ConfigField::kWepKey1) + static_cast<int>(index));
}

bool IsWepAsciiChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '@' || c == '*' ||
           c == '-' || c == '_';
}
bool IsHexChar(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string_view WithoutLeadingBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && platform::IsBlank(text[i]))
        ++i;
    return text.substr(i);
}

// The text of key i as it is checked and sent.
std::string_view WepKeyText(const WepKeyEntries& keys, std::size_t i) {
    return i == 0 ? WithoutLeadingBlanks(keys[i].text) : std::string_view(keys[i].text);
}

std::optional<CheckFailure> CheckWepKey(std::string_view key, int type, ConfigField field) {
    const std::size_t length = CharacterCount(key);
    if (type == kWepKeyHex) {
        if (length != 10 && length != 26)
            return Fail(message::kWepHexLength, field);
        if (!std::all_of(key.begin(), key.end(), IsHexChar))
            return Fail(message::kWepHexChars, field);
        return std::nullopt;
    }
    if (length != 5 && length != 13)
        return Fail(message::kWepAsciiLength, field);
    if (!std::all_of(key.begin(), key.end(), IsWepAsciiChar))
        return Fail(message::kWepAsciiChars, field);
    return std::nullopt;
}

// The ANSI form of a device text and its size as sent, against the 32-byte field.
DeviceTextCheck CheckDeviceBytes(std::string_view entry, std::string_view tooLong, ConfigField field) {
    std::optional<std::string> ansi = EntryToAnsi(entry);
    if (!ansi)
        return {Fail(message::kTextNotSendable, field), {}};
    if (DeviceTextBytes(*ansi) > kDeviceTextBytes || ansi->size() > kDeviceTextBytes)
        return {Fail(tooLong, field), {}};
    return {std::nullopt, std::move(*ansi)};
}

}  // namespace

DeviceTextCheck CheckDeviceName(std::string_view entry) {
    if (entry.empty())
        return {Fail(message::kNameEmpty, ConfigField::kLocation), {}};
    if (CountCjkIn(entry) > 0)
        return {Fail(message::kNameCjk, ConfigField::kLocation), {}};
    return CheckDeviceBytes(entry, message::kNameTooLong, ConfigField::kLocation);
}

DeviceTextCheck CheckSsid(std::string_view entry) {
    if (entry.empty())
        return {Fail(message::kSsidEmpty, ConfigField::kSsid), {}};
    return CheckDeviceBytes(entry, message::kSsidTooLong, ConfigField::kSsid);
}

std::optional<CheckFailure> CheckPskKey(std::string_view key) {
    const std::size_t length = CharacterCount(key);
    if (length < kPskMinChars || length > kKeyMaxChars)
        return Fail(message::kPskLength, ConfigField::kPskKey);
    if (key.find('\\') != std::string_view::npos)
        return Fail(message::kPskBackslash, ConfigField::kPskKey);
    if (!IsPrintableAscii(key))
        return Fail(message::kPskNotAscii, ConfigField::kPskKey);
    return std::nullopt;
}

std::optional<CheckFailure> CheckWepKeys(const WepKeyEntries& keys, int defaultKeyPosition) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view text = WepKeyText(keys, i);
        if (text.empty())
            continue;
        if (auto failure = CheckWepKey(text, keys[i].type, WepKeyField(i)))
            return failure;
    }
    const auto position = static_cast<std::size_t>(std::clamp(defaultKeyPosition, 0, 3));
    if (WepKeyText(keys, position).empty())
        return Fail(message::kWepDefaultKeyEmpty[position], WepKeyField(position));
    return std::nullopt;
}

void WriteWepKeys(const WepKeyEntries& keys, security_block& block) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].type >= 0)
            block.wep_keys[i].key_type = static_cast<std::uint8_t>(keys[i].type);
        block.wep_keys[i].key_value.assign(WepKeyText(keys, i));
    }
}

std::optional<CheckFailure> CheckRadius(const RadiusEntries& entries) {
    if (!IsValidIp(entries.server, false) || ParseIp(entries.server)[3] == 0)
        return Fail(message::kRadiusServer, ConfigField::kRadiusServer);
    const std::int64_t port = ReadDecimal(entries.port);
    if (port < 1 || port > kPortMax)
        return Fail(message::kRadiusPort, ConfigField::kRadiusPort);
    const std::size_t length = CharacterCount(entries.key);
    if (length == 0 || length > kKeyMaxChars)
        return Fail(message::kRadiusKeyLength, ConfigField::kRadiusKey);
    if (entries.key.find('\\') != std::string::npos)
        return Fail(message::kRadiusKeyBackslash, ConfigField::kRadiusKey);
    if (!IsPrintableAscii(entries.key))
        return Fail(message::kRadiusKeyNotAscii, ConfigField::kRadiusKey);
    if (entries.interval.empty())
        return Fail(message::kIntervalEmpty, ConfigField::kRadiusInterval);
    return std::nullopt;
}

}  // namespace cpe::actions
