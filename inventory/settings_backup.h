// A settings backup: a device's configuration blocks (name, wireless, IP, VLAN, timed reboot,
// bridge) as the raw bytes of its whole record, with the time, the reason, and the fields in
// words. Backups hold the device's keys; the fields say which ones are keys so that a view shows
// them only when asked for by name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/records.h"

namespace cpe::inventory {

namespace backup_reason {
inline constexpr std::string_view kOnRequest = "on request";
inline constexpr std::string_view kBeforeSave = "before configuration save";
inline constexpr std::string_view kBeforeBridge = "before bridge";
inline constexpr std::string_view kBeforeFactoryRestore = "before factory restore";
inline constexpr std::string_view kBeforeUpgrade = "before upgrade";
inline constexpr std::string_view kBeforeSettingsRestore = "before settings restore";
}  // namespace backup_reason

struct SettingsBackup {
    std::int64_t id = 0;    // its number in the inventory; 0 for one read from a file
    std::int64_t time = 0;  // seconds since the epoch
    std::string mac;
    int model = 0;
    std::string reason;
    ap_info_stu record{};
};

enum class SettingsBlock : std::uint8_t { kName, kWireless, kIp, kVlan, kTimedReboot, kBridge };
std::string_view BlockName(SettingsBlock block);  // "name", "wireless", "ip", "vlan", "timed_reboot", "bridge"

struct BackupField {
    std::string name;  // the device table's column name ("ssid", "vlan_id", ...)
    SettingsBlock block;
    bool isKey = false;  // a passphrase, a RADIUS secret or a WEP key
    bool isText = false;
    std::string value;  // UTF-8 text, or a number's decimal form
};

// The fields of the configuration blocks in block order; texts from the code set `codeset`.
std::vector<BackupField> BackupFields(const ap_info_stu& record, const std::string& codeset);
// The same as one JSON object, keys included (it stays inside the private inventory file).
std::string BackupFieldsJson(const ap_info_stu& record, const std::string& codeset);

}  // namespace cpe::inventory
