// The messages of the configuration checks. Each is the English key of the language files; the
// views show its translation.
#pragma once

#include <string_view>

namespace cpe::actions::message {

// Device name and SSID.
inline constexpr std::string_view kNameEmpty = "The device name can not be empty!";
inline constexpr std::string_view kNameCjk = "Device name cannot enter Chinese character!";
inline constexpr std::string_view kNameTooLong = "The device name cannot exceed 32 bytes!";
inline constexpr std::string_view kSsidEmpty = "The ssid can not be empty!";
inline constexpr std::string_view kSsidTooLong =
    "SSID cannot exceed 32 characters (Chinese accounted for 3 characters)!";
inline constexpr std::string_view kTextNotSendable = "The text contains characters that cannot be sent to the device!";

// Radio.
inline constexpr std::string_view kPowerRange = "Power value range:%d-%d";
inline constexpr std::string_view kCountryWithoutCode =
    "This country is not available for a 5GHz device, please choose another!";

// Pre-shared key.
inline constexpr std::string_view kPskLength = "Please enter 8-64 characters of key!";
inline constexpr std::string_view kPskBackslash = "The key can not contain special characters \\!";
inline constexpr std::string_view kPskNotAscii = "The key can only contain printable ASCII characters!";
inline constexpr std::string_view kIntervalEmpty = "The key update interval should not be empty!";
inline constexpr std::string_view kIntervalTooLong = "The key update interval can have %d digits at most!";

// WEP keys.
inline constexpr std::string_view kWepAsciiLength = "WEP key is invalid! Please enter 5 or 13 ASCII characters!";
inline constexpr std::string_view kWepAsciiChars =
    "WEP key includes invalid characters (It should only include 0-9,a-z,A-Z,@,*,- and _.)!";
inline constexpr std::string_view kWepHexLength = "WEP key is invalid! Please enter 10 or 26 HEX characters!";
inline constexpr std::string_view kWepHexChars =
    "WEP key includes invalid characters (It should only include 0-9,a-f,A-F)!";
inline constexpr std::string_view kWepDefaultKeyEmpty[4] = {
    "Please enter the WEP key1!",
    "Please enter the WEP key2!",
    "Please enter the WEP key3!",
    "Please enter the WEP key4!",
};

// WPA-Enterprise.
inline constexpr std::string_view kRadiusServer = "Please enter a valid RADIUS Server address!";
inline constexpr std::string_view kRadiusPort = "Please specify a valid RADIUS Port!";
inline constexpr std::string_view kRadiusKeyLength = "Please enter 1-64 characters of Radius key!";
inline constexpr std::string_view kRadiusKeyBackslash = "Radius Key can not contain special characters \\!";
inline constexpr std::string_view kRadiusKeyNotAscii = "Radius Key can only contain printable ASCII characters!";

// Addresses.
inline constexpr std::string_view kIpInvalid = "The ip address is invalid!";
inline constexpr std::string_view kMaskInvalid = "The subnet mask is invalid!";
inline constexpr std::string_view kGatewayInvalid = "The gateway address is invalid!";
inline constexpr std::string_view kIpIsGateway = "The ip address and gateway address cannot be the same!";
inline constexpr std::string_view kGatewayOtherSubnet = "Ip address and gateway address is not in the same subnet!";
inline constexpr std::string_view kPrimaryDnsInvalid = "The primary DNS Server is invalid!";
inline constexpr std::string_view kSecondaryDnsInvalid = "The secondary DNS Server is invalid!";
inline constexpr std::string_view kIpInUse = "The ip address is already in use, please respecify!";

// VLAN.
inline constexpr std::string_view kVlanRange = "VLAN range:1-4094";
inline constexpr std::string_view kWlanRange = "WLAN range:1-4094";
inline constexpr std::string_view kLanRange = "LAN range:1-4094";

// Timed reboot.
inline constexpr std::string_view kHourRange = "Hour range:0-23";
inline constexpr std::string_view kMinuteRange = "Minutes range:0-59";

}  // namespace cpe::actions::message
