// Shared helpers of the store tests: a scratch folder per test and device records filled
// with recognisable values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "protocol/records.h"
#include "tests/support/temp_dir.h"

namespace cpe::test {

class ScratchFolder : public TempDir {
public:
    std::filesystem::path File(const char* name) const { return *this / name; }
};

// A copy of a store's file as it stands, for looking at it from outside: the store keeps
// its own file locked while it runs.
inline std::filesystem::path Snapshot(const std::filesystem::path& file) {
    std::filesystem::path copy = file;
    copy += ".snapshot";
    std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

inline std::string MacText(int n) {
    char text[18];
    std::snprintf(text, sizeof text, "00:1a:2b:%02x:%02x:%02x", (n >> 16) & 0xff, (n >> 8) & 0xff, n & 0xff);
    return text;
}

inline RawMac MacBytes(int n) {
    return {0x00,
            0x1a,
            0x2b,
            static_cast<std::uint8_t>(n >> 16),
            static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n)};
}

// A device whose every field tells its number apart; the bridge block is filled too.
inline ap_info_stu MakeDevice(int n) {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    const std::string mac = MacText(n);
    std::memcpy(r.mac, mac.c_str(), mac.size() + 1);
    r.ap_type.set(static_cast<std::uint16_t>(260 + n % 3));
    r.ap_status.set(1);
    r.work_mode = static_cast<std::uint8_t>(1 + n % 3);
    r.mode_btn_status = 1;
    r.up_time.set(3600u + static_cast<std::uint32_t>(n));
    r.ip_mode = 1;
    r.ip = {192, 168, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    r.ip_mask = {255, 255, 0, 0};
    r.ip_gateway = {192, 168, 0, 254};
    r.ip_dns1 = {8, 8, 8, 8};
    r.ip_dns2 = {8, 8, 4, 4};
    r.ap_name.assign("cpe-" + std::to_string(n));
    r.version.assign("V2.1." + std::to_string(n % 7));
    r.restart_en = 1;
    r.restart_type = 2;
    r.restart_time.set(300);
    r.rf_count = 1;
    r.rf_en = 1;
    r.rf_type = 3;
    r.country_code = 86;
    r.network_mode = 4;
    r.bandwidth = 1;
    r.channel = static_cast<std::uint8_t>(1 + n % 11);
    r.expand_channel = 5;
    r.tx_power = static_cast<std::uint8_t>(20 + n % 7);
    r.tx_power_min = 1;
    r.tx_power_max = 27;
    r.ssid_rf_type = 1;
    r.ssid_id = 0;
    r.ssid_hide = 0;
    r.ssid_mac = MacBytes(0x800000 + n);
    r.ssid.assign("net-" + std::to_string(n % 5));
    r.security.secure_mode = 3;
    r.security.wpapsk_auth_type = 2;
    r.security.wpapsk_key_value.assign("key" + std::to_string(n));
    r.security.wpapsk_key_time.set(86400);
    r.security.wep_auth_type = 1;
    r.security.wep_key_index = 2;
    for (int i = 0; i < 4; ++i) {
        r.security.wep_keys[i].key_type = static_cast<std::uint8_t>(i);
        r.security.wep_keys[i].key_value.assign("wep" + std::to_string(i));
    }
    r.security.wpa_radius_ip = {10, 0, 0, 9};
    r.security.wpa_radius_port.set(1812);
    r.security.wpa_auth_type = 1;
    r.security.wpa_key.assign("radius-secret");
    r.security.wpa_key_time.set(3600);
    r.ssid_count = 1;
    r.bridge.bridge_work_mode = 2;
    r.bridge.bridge_mac = MacBytes(0x900000 + n);
    r.bridge.bridge_channel = 6;
    r.bridge.bridge_ssid.assign("remote");
    r.vlan_en = 1;
    r.vlan_id.set(100);
    r.vlan_id_wlan.set(200);
    r.vlan_id_lan.set(300);
    return r;
}

}  // namespace cpe::test
