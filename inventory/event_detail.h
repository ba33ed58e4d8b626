// The kinds of the inventory's events and the small JSON object each one carries.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace cpe::inventory {

// What the engine's reports tell about a device.
namespace event_kind {
inline constexpr std::string_view kFirstSeen = "first_seen";
inline constexpr std::string_view kBackOnline = "back_online";
inline constexpr std::string_view kGone = "gone";
inline constexpr std::string_view kRenamed = "renamed";
inline constexpr std::string_view kAddressChanged = "address_changed";
inline constexpr std::string_view kFirmwareChanged = "firmware_changed";
// What the operator did through this program.
inline constexpr std::string_view kRename = "rename";
inline constexpr std::string_view kConfigurationSave = "configuration_save";
inline constexpr std::string_view kBridge = "bridge";
inline constexpr std::string_view kReboot = "reboot";
inline constexpr std::string_view kFactoryRestore = "factory_restore";
inline constexpr std::string_view kUpgrade = "upgrade";
inline constexpr std::string_view kSettingsRestore = "settings_restore";
inline constexpr std::string_view kSettingsApply = "settings_apply";
}  // namespace event_kind

// A flat JSON object built field by field, in the order given; texts are UTF-8.
class EventDetail {
public:
    EventDetail& Add(std::string_view key, std::string_view text);
    EventDetail& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
    EventDetail& Add(std::string_view key, std::int64_t number);
    std::string Json() const { return json_ + '}'; }

private:
    std::string json_ = "{";
};

// What an upgrade event tells of the image sent: its file name, size and SHA-256.
EventDetail FirmwareDetail(const std::filesystem::path& image);

}  // namespace cpe::inventory
