#include "actions/bridge/bridge_survey.h"

#include <array>

#include "actions/common/entry_text.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

constexpr int kSignalWeak = -75;    // at or below: image 1
constexpr int kSignalMedium = -60;  // at or below: image 3; above: image 5

constexpr std::array<SurveySecurity, 11> kSurveySecurity{{
    {"None", 0, kCipherUnchanged},
    {"WEP", 1, kCipherUnchanged},
    {"WPA-PSK/AES", 2, kCipherAes},
    {"WPA-PSK/TKIP", 2, kCipherTkip},
    {"WPA2-PSK/AES", 3, kCipherAes},
    {"WPA2-PSK/TKIP", 3, kCipherTkip},
    {"WPA2-PSK/TKIP&AES", 3, kCipherTkipAes},
    {"WPA/WPA2-PSK/AES", 4, kCipherAes},
    {"WPA/WPA2-PSK/TKIP", 4, kCipherTkip},
    {"WPA/WPA2-PSK/TKIP&AES", 4, kCipherTkipAes},
    {"WPA-PSK/TKIP&AES", 2, kCipherTkipAes},
}};
// A code the table does not know shows the last text but starts from no security.
constexpr SurveySecurity kUnknownSecurity{"WPA-PSK/TKIP&AES", 0, kCipherUnchanged};

}  // namespace

SurveySecurity SurveySecurityOf(int code) {
    if (code < 0 || static_cast<std::size_t>(code) >= kSurveySecurity.size())
        return kUnknownSecurity;
    return kSurveySecurity[static_cast<std::size_t>(code)];
}

int SignalImageOf(std::int8_t signal) {
    if (signal <= kSignalWeak)
        return 1;
    return signal <= kSignalMedium ? 3 : 5;
}

SurveyRow SurveyRowOf(const config_otherwl_basic& entry) {
    return {AnsiToEntry(entry.ssid.text()), std::to_string(entry.channel), FormatMac(entry.mac),
            SurveySecurityOf(entry.secure_mode).text, SignalImageOf(entry.signal)};
}

SurveyWait::SurveyWait(int modelCode, const BridgeTimings& timings)
    : waitsForLastPacket_(IsModelSetB(modelCode)),
      period_(waitsForLastPacket_ ? timings.surveyTick : timings.surveyWait) {}

bool SurveyWait::Tick(bool surveyComplete) {
    ++ticks_;
    if (!waitsForLastPacket_)
        return true;
    return surveyComplete || ticks_ >= kSurveyMaxTicks;
}

}  // namespace cpe::actions
