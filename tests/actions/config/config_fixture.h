// Device records for the configuration tests, and a fixture that pins the local code set.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "protocol/codes.h"
#include "protocol/records.h"

namespace cpe::test {

// An access point on 5 GHz: United States, 11ac, 40 MHz on channel 36 (extension 40), WPA2-PSK.
inline ap_info_stu Device5() {
    ap_info_stu r;
    std::memset(&r, 0, sizeof r);
    std::strcpy(r.mac, "00:1a:ff:00:0b:01");
    r.ap_type.set(1);
    r.work_mode = 1;
    r.ip_mode = 1;
    r.ip = ParseIp("192.168.1.20");
    r.ip_mask = ParseIp("255.255.255.0");
    r.ip_gateway = ParseIp("192.168.1.1");
    r.ip_dns1 = ParseIp("8.8.8.8");
    r.ip_apply = 1;
    r.ap_name.assign("tower-1");
    r.rf_count = 1;
    r.rf_en = 1;
    r.rf_type = 1;
    r.country_code = 28;  // "US"
    r.network_mode = 2;
    r.bandwidth = 1;
    r.channel = 36;
    r.expand_channel = 0;
    r.tx_power = 20;
    r.tx_power_min = 8;
    r.tx_power_max = 26;
    r.ssid_rf_type = 1;
    r.ssid.assign("net5");
    r.ssid_count = 1;
    r.security.secure_mode = 3;
    r.security.wpapsk_key_value.assign("secret12");
    r.security.wpapsk_key_time.set(3600);
    r.security.wep_key_index = 1;
    r.security.wep_keys[2].key_value.assign("abcde");
    r.security.wpa_radius_ip = ParseIp("10.0.0.5");
    r.security.wpa_radius_port.set(1812);
    return r;
}

// A 2.4 GHz unit: China (13 channels), 11b/g/n, 20 MHz on channel 6, no security.
inline ap_info_stu Device24() {
    ap_info_stu r = Device5();
    r.rf_type = 0;
    r.ssid_rf_type = 0;
    r.country_code = 0;  // "CN/9"
    r.network_mode = 4;
    r.bandwidth = 0;
    r.channel = 6;
    r.expand_channel = 2;
    r.security.secure_mode = 0;
    return r;
}

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetAnsiCodeset("UTF-8"); }
    void TearDown() override { platform::SetAnsiCodeset(""); }
};

// n CJK ideographs in UTF-8.
inline std::string Ideographs(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "\xE4\xB8\xAD";  // U+4E2D
    return s;
}

}  // namespace cpe::test
