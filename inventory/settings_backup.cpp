#include "inventory/settings_backup.h"

#include <array>

#include "platform/unicode_text.h"
#include "protocol/codes.h"
#include "store/device_row.h"

namespace cpe::inventory {
namespace {

// Fields of the record that are no setting: identity and state.
bool IsState(std::string_view name) {
    return name == "mac" || name == "ap_type" || name == "ap_status" || name == "work_mode" ||
           name == "mode_btn_status" || name == "up_time" || name == "version";
}

SettingsBlock BlockOf(std::string_view name) {
    if (name == "ap_name")
        return SettingsBlock::kName;
    if (name.starts_with("ip_") || name == "ip")
        return SettingsBlock::kIp;
    if (name.starts_with("vlan_"))
        return SettingsBlock::kVlan;
    if (name.starts_with("restart_"))
        return SettingsBlock::kTimedReboot;
    if (name.starts_with("bridge_"))
        return SettingsBlock::kBridge;
    return SettingsBlock::kWireless;
}

bool IsKeyName(std::string_view name) {
    return name.ends_with("wpapsk_key_value") || name.ends_with("wpa_key") || name.find("wep_key_value") != name.npos;
}

// The bridge block, which the device table's read-back leaves out.
void AppendBridgeFields(const bridge_block& bridge, const std::string& codeset, std::vector<BackupField>& out) {
    const auto number = [&out](const char* name, std::int64_t value) {
        out.push_back({name, SettingsBlock::kBridge, false, false, std::to_string(value)});
    };
    const auto text = [&out](const char* name, std::string value, bool key = false) {
        out.push_back({name, SettingsBlock::kBridge, key, true, std::move(value)});
    };
    number("bridge_work_mode", bridge.bridge_work_mode);
    text("bridge_mac", FormatMac(bridge.bridge_mac));
    number("bridge_channel", bridge.bridge_channel);
    text("bridge_ssid", store::AnsiToUtf8(bridge.bridge_ssid.text(), codeset));
    number("bridge_secure_mode", bridge.security.secure_mode);
    text("bridge_wpapsk_key_value", store::AnsiToUtf8(bridge.security.wpapsk_key_value.text(), codeset), true);
    for (std::size_t i = 0; i < std::size(bridge.security.wep_keys); ++i)
        text(("bridge_wep_key_value" + std::to_string(i)).c_str(),
             store::AnsiToUtf8(bridge.security.wep_keys[i].key_value.text(), codeset), true);
}

}  // namespace

std::string_view BlockName(SettingsBlock block) {
    static constexpr std::array<std::string_view, 6> kNames = {"name", "wireless",     "ip",
                                                               "vlan", "timed_reboot", "bridge"};
    return kNames[static_cast<std::size_t>(block)];
}

std::vector<BackupField> BackupFields(const ap_info_stu& record, const std::string& codeset) {
    std::vector<BackupField> fields;
    for (store::DeviceField& field : store::DeviceRecordFields(record, codeset)) {
        if (IsState(field.name))
            continue;
        fields.push_back({field.name, BlockOf(field.name), IsKeyName(field.name), field.isText,
                          field.isText ? std::move(field.text) : std::to_string(field.number)});
    }
    AppendBridgeFields(record.bridge, codeset, fields);
    return fields;
}

std::string BackupFieldsJson(const ap_info_stu& record, const std::string& codeset) {
    std::string json = "{";
    for (const BackupField& field : BackupFields(record, codeset)) {
        if (json.size() > 1)
            json += ',';
        platform::AppendJsonString(json, field.name);
        json += ':';
        if (field.isText)
            platform::AppendJsonString(json, field.value);
        else
            json += field.value;
    }
    return json + '}';
}

}  // namespace cpe::inventory
