// The survey step of the bridge wizard: how long a scan waits for the device, and what its grid
// shows of each access point heard.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "actions/bridge/bridge_timing.h"
#include "protocol/records.h"

namespace cpe::actions {

// Ciphers of the pre-shared key modes, as the radios and wpapsk_auth_type number them.
inline constexpr int kCipherAes = 0;
inline constexpr int kCipherTkip = 1;
inline constexpr int kCipherTkipAes = 2;
inline constexpr int kCipherUnchanged = -1;

// A survey entry's security code (a code space of its own): the grid's "Secure" text, and the
// security mode and cipher the security step starts from.
struct SurveySecurity {
    std::string_view text;  // shown as it is
    int secureMode;         // 0 None, 1 WEP, 2 WPA-PSK, 3 WPA2-PSK, 4 Mixed WPA/WPA2-PSK
    int cipher;             // kCipher...; kCipherUnchanged leaves the radios as they are
};
SurveySecurity SurveySecurityOf(int code);

// The image of the signal list for a signal in dBm: 1 up to -75, 3 up to -60, 5 above.
int SignalImageOf(std::int8_t signal);

// One row of the survey grid, its texts in UTF-8.
struct SurveyRow {
    std::string ssid;
    std::string channel;
    std::string mac;
    std::string_view secure;
    int signalImage;
};
SurveyRow SurveyRowOf(const config_otherwl_basic& entry);

// How a scan waits for the device. A model-set-B device reports the last packet of its survey:
// it is looked for once a tick until it arrives or kSurveyMaxTicks ticks have passed. Any other
// device gets one longer wait, whatever arrives meanwhile.
class SurveyWait {
public:
    SurveyWait(int modelCode, const BridgeTimings& timings);

    std::chrono::milliseconds Period() const { return period_; }
    int Ticks() const { return ticks_; }
    // Starts counting again for a new scan.
    void Restart() { ticks_ = 0; }
    // One tick of the scan's timer, told whether the survey's last packet has arrived; true when
    // the scan is over and the list can be shown.
    bool Tick(bool surveyComplete);

private:
    bool waitsForLastPacket_;
    std::chrono::milliseconds period_;
    int ticks_ = 0;
};

}  // namespace cpe::actions
