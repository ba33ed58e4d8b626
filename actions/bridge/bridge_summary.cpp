#include "actions/bridge/bridge_summary.h"

#include <array>

#include "actions/bridge/bridge_survey.h"
#include "actions/common/entry_text.h"
#include "actions/common/record_slices.h"
#include "actions/config/wireless_choices.h"
#include "lang/language.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

constexpr std::array<std::string_view, kBridgeSecurityModeCount> kModeNames{"None", "WEP", "WPA-PSK", "WPA2-PSK",
                                                                            "Mixed WPA/WPA2-PSK"};
constexpr std::array<std::string_view, 3> kCipherKeys{"AES", "TKIP", "TKIPAES"};
constexpr std::array<std::string_view, 2> kWepAuthNames{"Open", "Share"};
constexpr std::array<std::string_view, 4> kDefaultKeyKeys{"Key 1", "Key 2", "Key 3", "Key 4"};

template <std::size_t N>
std::string NameAt(const std::array<std::string_view, N>& names, std::size_t index, bool translate) {
    if (index >= N)
        return std::to_string(index);
    return translate ? TranslateString(names[index]) : std::string(names[index]);
}

std::string SecurityText(const security_block& s) {
    std::string text = NameAt(kModeNames, s.secure_mode, false);
    if (s.secure_mode == kSecurityWep)
        text +=
            ", " + NameAt(kWepAuthNames, s.wep_auth_type, true) + ", " + NameAt(kDefaultKeyKeys, s.wep_key_index, true);
    else if (IsPskMode(s.secure_mode))
        text += ", " + NameAt(kCipherKeys, s.wpapsk_auth_type, true);
    return text;
}

}  // namespace

std::vector<SummaryRow> BridgeSummary(const BridgeRequest& request) {
    const bridge_block& b = request.bridge;
    const ap_info_stu ip = RecordWith(request.ip, kIpBlockOffset);
    return {
        {"Access point", FormatMac(b.bridge_mac)},
        {"BridgeSSID", AnsiToEntry(b.bridge_ssid.text())},
        {"Channel", b.bridge_channel == 0 ? TranslateString("Auto") : std::to_string(b.bridge_channel)},
        {"SecureMode", SecurityText(b.security)},
        {"IP_Address", FormatIp(ip.ip)},
        {"Sub_Network", FormatIp(ip.ip_mask)},
        {"Gate_Way", FormatIp(ip.ip_gateway)},
    };
}

BridgeAnswer AnswerOf(int status, bool patienceOver) {
    if (status == kStatusBridgeSuccess)
        return BridgeAnswer::kSucceeded;
    if (status == kStatusBridgeFail)
        return BridgeAnswer::kFailed;
    return patienceOver ? BridgeAnswer::kNoAnswer : BridgeAnswer::kWaiting;
}

std::string_view AnswerKey(BridgeAnswer answer) {
    switch (answer) {
    case BridgeAnswer::kSucceeded: return "The device reported success: it now works as a station of the access point.";
    case BridgeAnswer::kFailed: return "The device reported that the bridge failed.";
    case BridgeAnswer::kNoAnswer:
        return "The device has not answered yet. The bridge page shows its status when it does.";
    case BridgeAnswer::kWaiting: break;
    }
    return "The bridge request was sent. Waiting for the device's answer...";
}

}  // namespace cpe::actions
