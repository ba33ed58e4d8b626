// Fixed-layout records of the device protocol and the device store: the full device record,
// its security and bridge blocks, the site-survey entry and packet, the search summary and the
// packet header. Every layout is checked below, field by field.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/wire.h"

namespace cpe {

// The 16-byte header that starts every datagram.
struct packet_header {
    u16le magic;  // always kMagic
    u16le model;  // device model code from a device, 0 from the utility
    u16le type;   // message type
    std::uint8_t reserved[2];
    RawMac mac;    // device MAC from a device, zero from the utility
    u16le length;  // payload bytes after the header
};

// The security settings, present twice in a device record.
struct wep_key_entry {
    std::uint8_t key_type;
    CountedText<26> key_value;
};

struct security_block {
    std::uint8_t secure_mode;
    std::uint8_t wpapsk_auth_type;
    CountedText<64> wpapsk_key_value;
    u32le wpapsk_key_time;  // unaligned within the record
    std::uint8_t wep_auth_type;
    std::uint8_t wep_key_index;
    wep_key_entry wep_keys[4];
    std::uint8_t reserved;
    RawIp wpa_radius_ip;
    u16le wpa_radius_port;
    std::uint8_t wpa_auth_type;
    CountedText<64> wpa_key;
    u32le wpa_key_time;  // unaligned within the record
};

// The station settings: which remote access point the device bridges to.
struct bridge_block {
    std::uint8_t bridge_work_mode;
    RawMac bridge_mac;
    std::uint8_t bridge_channel;
    CountedText<32> bridge_ssid;
    std::uint8_t reserved;
    security_block security;
};

// The full device record. Bytes 24..767 are exactly the payload of a get_info reply;
// bytes 0..23 are filled by the utility.
struct ap_info_stu {
    char mac[18];  // "%02x:..:%02x", NUL-terminated
    u16le ap_type;
    i32le ap_status;
    std::uint8_t work_mode;
    std::uint8_t mode_btn_status;
    std::uint8_t reserved0[2];
    u32le up_time;
    std::uint8_t ip_mode;  // IP block starts here (22 bytes)
    RawIp ip;
    RawIp ip_mask;
    RawIp ip_gateway;
    RawIp ip_dns1;
    RawIp ip_dns2;
    std::uint8_t ip_apply;
    CountedText<32> ap_name;  // name block (33 bytes)
    CountedText<32> version;
    std::uint8_t restart_en;  // restart block (4 bytes)
    std::uint8_t restart_type;
    u16le restart_time;
    std::uint8_t rf_count;  // wireless block starts here (328 bytes)
    std::uint8_t rf_en;
    std::uint8_t rf_type;
    std::uint8_t country_code;
    std::uint8_t network_mode;
    std::uint8_t bandwidth;
    std::uint8_t channel;
    std::uint8_t expand_channel;
    std::uint8_t tx_power;
    std::uint8_t tx_power_min;
    std::uint8_t tx_power_max;
    std::uint8_t reserved1[11];
    std::uint8_t ssid_rf_type;
    std::uint8_t ssid_id;
    std::uint8_t ssid_hide;
    RawMac ssid_mac;
    CountedText<32> ssid;
    security_block security;
    std::uint8_t ssid_count;
    std::uint8_t reserved2;
    bridge_block bridge;
    std::uint8_t vlan_en;  // VLAN block starts here (10 bytes)
    std::uint8_t reserved3;
    u16le vlan_id;
    u16le vlan_id_wlan;
    u16le vlan_id_lan;
    std::uint8_t vlan_apply;
    std::uint8_t reserved4[3];
};

// One access point heard in a site survey.
struct config_otherwl_basic {
    RawMac mac;
    std::int8_t signal;
    std::uint8_t channel;
    std::uint8_t secure_mode;
    CountedText<32> ssid;
    std::uint8_t exchannel;
    std::uint8_t bandwidth;
};

inline constexpr std::size_t kMaxSurveyEntries = 32;

// Payload of a site_survey reply.
struct survey_packet {
    std::uint8_t packet_count;
    std::uint8_t packet_id;
    std::uint8_t icount;
    config_otherwl_basic entries[kMaxSurveyEntries];
    std::uint8_t reserved[3];
};

// Payload of a search reply; a heartbeat has the same layout.
struct search_summary {
    CountedText<32> version;
    std::uint8_t work_mode;
    std::uint8_t mode_btn_status;
    std::uint8_t reserved;
    u32le up_time;
    CountedText<32> ap_name;
    CountedText<32> ssid;
    std::uint8_t channel;
};

// Offsets of the payload blocks that commands cut out of a device record.
inline constexpr std::size_t kGetInfoPayloadOffset = 24;
inline constexpr std::size_t kGetInfoPayloadSize = 744;
inline constexpr std::size_t kIpBlockOffset = 32, kIpBlockSize = 22;
inline constexpr std::size_t kNameBlockOffset = 54, kNameBlockSize = 33;
inline constexpr std::size_t kRestartBlockOffset = 120, kRestartBlockSize = 4;
inline constexpr std::size_t kWirelessBlockOffset = 124, kWirelessBlockSize = 328;
inline constexpr std::size_t kBridgeBlockOffset = 452, kBridgeBlockSize = 304;
inline constexpr std::size_t kVlanBlockOffset = 756, kVlanBlockSize = 10;
inline constexpr std::size_t kUpgradeBlockSize = 261;

// ---- layout checks ------------------------------------------------------------------------
static_assert(sizeof(packet_header) == 16);
static_assert(offsetof(packet_header, model) == 2 && offsetof(packet_header, type) == 4);
static_assert(offsetof(packet_header, mac) == 8 && offsetof(packet_header, length) == 14);

static_assert(sizeof(wep_key_entry) == 28);
static_assert(sizeof(security_block) == 262);
static_assert(offsetof(security_block, wpapsk_key_value) == 2);
static_assert(offsetof(security_block, wpapsk_key_value) + offsetof(CountedText<64>, len) == 66);
static_assert(offsetof(security_block, wpapsk_key_time) == 67);
static_assert(offsetof(security_block, wep_auth_type) == 71);
static_assert(offsetof(security_block, wep_key_index) == 72);
static_assert(offsetof(security_block, wep_keys) == 73);
static_assert(offsetof(security_block, reserved) == 185);
static_assert(offsetof(security_block, wpa_radius_ip) == 186);
static_assert(offsetof(security_block, wpa_radius_port) == 190);
static_assert(offsetof(security_block, wpa_auth_type) == 192);
static_assert(offsetof(security_block, wpa_key) == 193);
static_assert(offsetof(security_block, wpa_key_time) == 258);

static_assert(sizeof(bridge_block) == 304);
static_assert(offsetof(bridge_block, bridge_mac) == 1);
static_assert(offsetof(bridge_block, bridge_channel) == 7);
static_assert(offsetof(bridge_block, bridge_ssid) == 8);
static_assert(offsetof(bridge_block, reserved) == 41);
static_assert(offsetof(bridge_block, security) == 42);

static_assert(sizeof(ap_info_stu) == 768);
static_assert(offsetof(ap_info_stu, ap_type) == 18);
static_assert(offsetof(ap_info_stu, ap_status) == 20);
static_assert(offsetof(ap_info_stu, work_mode) == 24);
static_assert(offsetof(ap_info_stu, mode_btn_status) == 25);
static_assert(offsetof(ap_info_stu, up_time) == 28);
static_assert(offsetof(ap_info_stu, ip_mode) == kIpBlockOffset);
static_assert(offsetof(ap_info_stu, ip) == 33);
static_assert(offsetof(ap_info_stu, ip_mask) == 37);
static_assert(offsetof(ap_info_stu, ip_gateway) == 41);
static_assert(offsetof(ap_info_stu, ip_dns1) == 45);
static_assert(offsetof(ap_info_stu, ip_dns2) == 49);
static_assert(offsetof(ap_info_stu, ip_apply) == 53);
static_assert(offsetof(ap_info_stu, ap_name) == kNameBlockOffset);
static_assert(offsetof(ap_info_stu, version) == 87);
static_assert(offsetof(ap_info_stu, restart_en) == kRestartBlockOffset);
static_assert(offsetof(ap_info_stu, restart_time) == 122);
static_assert(offsetof(ap_info_stu, rf_count) == kWirelessBlockOffset);
static_assert(offsetof(ap_info_stu, channel) == 130);
static_assert(offsetof(ap_info_stu, tx_power_max) == 134);
static_assert(offsetof(ap_info_stu, ssid_rf_type) == 146);
static_assert(offsetof(ap_info_stu, ssid_mac) == 149);
static_assert(offsetof(ap_info_stu, ssid) == 155);
static_assert(offsetof(ap_info_stu, security) == 188);
static_assert(offsetof(ap_info_stu, ssid_count) == 450);
static_assert(offsetof(ap_info_stu, bridge) == kBridgeBlockOffset);
static_assert(offsetof(ap_info_stu, bridge) + offsetof(bridge_block, security) == 494);
static_assert(offsetof(ap_info_stu, vlan_en) == kVlanBlockOffset);
static_assert(offsetof(ap_info_stu, vlan_id) == 758);
static_assert(offsetof(ap_info_stu, vlan_id_wlan) == 760);
static_assert(offsetof(ap_info_stu, vlan_id_lan) == 762);
static_assert(offsetof(ap_info_stu, vlan_apply) == 764);
static_assert(kGetInfoPayloadOffset + kGetInfoPayloadSize == sizeof(ap_info_stu));
static_assert(kWirelessBlockOffset + kWirelessBlockSize == kBridgeBlockOffset);

static_assert(sizeof(config_otherwl_basic) == 44);
static_assert(offsetof(config_otherwl_basic, signal) == 6);
static_assert(offsetof(config_otherwl_basic, channel) == 7);
static_assert(offsetof(config_otherwl_basic, secure_mode) == 8);
static_assert(offsetof(config_otherwl_basic, ssid) == 9);
static_assert(offsetof(config_otherwl_basic, exchannel) == 42);
static_assert(offsetof(config_otherwl_basic, bandwidth) == 43);

static_assert(sizeof(survey_packet) == 1414);
static_assert(offsetof(survey_packet, entries) == 3);
static_assert(offsetof(survey_packet, reserved) == 1411);

static_assert(sizeof(search_summary) == 107);
static_assert(offsetof(search_summary, work_mode) == 33);
static_assert(offsetof(search_summary, mode_btn_status) == 34);
static_assert(offsetof(search_summary, up_time) == 36);
static_assert(offsetof(search_summary, ap_name) == 40);
static_assert(offsetof(search_summary, ssid) == 73);
static_assert(offsetof(search_summary, channel) == 106);

}  // namespace cpe
