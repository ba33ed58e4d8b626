// The device code tables and the address, MAC and device-name helpers: the one place where
// codes become names or text keys and texts become raw values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/wire.h"

namespace cpe {

std::string ModelName(int modelCode);  // untranslated; unknown code -> name of code 1
int ModelCode(std::string_view name);  // exact, case-sensitive; no match -> 1
bool IsModelSetB(int modelCode);       // 4, 5, 260, 261

// A device row's status (column ap_status): online or not, then what the last command's reply
// said.
enum StatusCode : int {
    kStatusOffline = 0,
    kStatusOnline = 1,
    kStatusBridgeSuccess = 2,
    kStatusBridgeFail = 3,
    kStatusRestarting = 4,
    kStatusReseting = 5,
    kStatusUpgradeWait = 6,
    kStatusUpgrading = 7,
    kStatusUpgradeSuccess = 8,
    kStatusUpgradeFail = 9,
};

// The English keys of the code texts, translated where they are shown; "" for other codes.
std::string_view StatusKey(int statusCode);      // codes 0..9
std::string_view WorkModeKey(int workMode);      // codes 1..7
std::string_view SecureModeKey(int secureMode);  // codes 0..6

std::string FormatIp(const RawIp& ip);     // "%d.%d.%d.%d"
RawIp ParseIp(std::string_view text);      // low 8 bits of each value; "" -> 0.0.0.0
std::string FormatMac(const RawMac& mac);  // "%02x:%02x:%02x:%02x:%02x:%02x"
RawMac ParseMac(std::string_view text);    // low 8 bits of each value; "" -> zeros
// Both accept only four dot-separated decimal numbers of 0..255 (or, for IsValidIp, an empty
// text or "0.0.0.0" when allowEmpty): a looser text would reach the device as another address.
bool IsValidIp(std::string_view text, bool allowEmpty);  // host address: not 0.x, 127.x, >=224.x, x.255
bool IsValidMask(std::string_view text);                 // not 0.0.0.0 nor 255.255.255.255
bool SameSubnet(const RawIp& a, const RawIp& b, const RawIp& mask);

// Device-name measures on UTF-16 text (the form the windows hold).
bool IsCjk(char16_t unit);  // U+4E00..U+9FA5
int CountCjk(std::u16string_view text);
bool HasNoCjk(std::u16string_view text);
std::u16string CutToDeviceBytes(std::u16string_view text, int byteLimit);

}  // namespace cpe
