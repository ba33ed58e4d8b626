// The payloads of the configuration commands. Each is a slice of the device record; the pages
// edit a record and send the slices that changed. Device names and SSIDs leave in the device's
// form: UTF-8 when they hold a CJK ideograph, else unchanged, never more than 32 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "protocol/records.h"

namespace cpe {

using NameBlock = std::array<std::uint8_t, kNameBlockSize>;                       // set_name
using IpBlock = std::array<std::uint8_t, kIpBlockSize>;                           // set_ip
using RestartBlock = std::array<std::uint8_t, kRestartBlockSize>;                 // set_restart
using WirelessBlock = std::array<std::uint8_t, kWirelessBlockSize>;               // set_wireless
using VlanBlock = std::array<std::uint8_t, kVlanBlockSize>;                       // set_vlan
using BridgePayload = std::array<std::uint8_t, kBridgeBlockSize + kIpBlockSize>;  // bridge
using UpgradeBlock = std::array<std::uint8_t, kUpgradeBlockSize>;                 // upgrade

// A local text in the device's form: converted to UTF-8 when it holds a CJK ideograph, cut to 32
// bytes (never inside a converted character), with the length byte of what is kept.
CountedText<32> ToDeviceCountedText(const CountedText<32>& local);

NameBlock MakeNameBlock(const ap_info_stu& record);
// The IP apply flag goes out as the record holds it (ap_info_stu::ip_apply).
IpBlock MakeIpBlock(const ap_info_stu& record);
RestartBlock MakeRestartBlock(const ap_info_stu& record);
WirelessBlock MakeWirelessBlock(const ap_info_stu& record);
// The VLAN apply flag goes out as the record holds it (ap_info_stu::vlan_apply).
VlanBlock MakeVlanBlock(const ap_info_stu& record);
// The bridge block followed by the IP block.
BridgePayload MakeBridgePayload(const ap_info_stu& record);
// The firmware file name (without folder) in the local code set, NUL-terminated, zero-filled;
// a longer name is cut to 260 bytes.
UpgradeBlock MakeUpgradeBlock(std::string_view fileName);

}  // namespace cpe
