// The bridge wizard without its windows: which step is shown, what Back and Next do on each, the
// IP step's checks, and the request Save sends. Going forward always starts the next step again
// from its sources (the access point chosen, the device's own addresses); a failed check keeps
// the step where it is. Once Save sent the request the last step waits for the device's answer:
// Back is gone and Next closes the wizard.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "actions/bridge/bridge_security.h"
#include "actions/config/check_failure.h"
#include "actions/config/ip_rules.h"
#include "engine/payload_blocks.h"

namespace cpe::actions {

enum class BridgeStep : std::uint8_t { kSurvey, kSecurity, kIp, kFinish };

// The device's hardware mode switch allows another operating mode only at positions 0 and 2;
// elsewhere it holds the device as an access point.
constexpr bool ModeSwitchAllowsBridge(std::uint8_t modeBtnStatus) { return modeBtnStatus == 0 || modeBtnStatus == 2; }
inline constexpr std::string_view kModeSwitchAtAp =
    "The Mode Switch is at AP position, please switch it to Off position to modify to other operating mode.";

// The IP step is stricter than the configuration dialog's IP form: a station needs a gateway and
// a primary DNS server, and the secondary DNS server is not checked.
inline constexpr IpCheckRules kBridgeIpRules{false, false, false};

// What Save sends: the bridge block and the device's new IP block (apply flag 0), texts in the
// local code set.
struct BridgeRequest {
    bridge_block bridge{};
    IpBlock ip{};
};

// The bridge payload of a request: the SSID in the device's form, then the IP block.
BridgePayload BridgePayloadOf(const BridgeRequest& request);

class BridgeWizardModel {
public:
    explicit BridgeWizardModel(const ap_info_stu& device);

    BridgeStep Step() const { return step_; }
    // The 1-based number of the step shown, of kStepCount.
    int StepNumber() const { return static_cast<int>(step_) + 1; }
    static constexpr int kStepCount = 4;
    bool BackVisible() const { return step_ != BridgeStep::kSurvey && !sent_; }
    // The key of the Next button's caption: "Save" on the last step, "Close" once sent.
    std::string_view NextKey() const {
        if (sent_)
            return "Close";
        return step_ == BridgeStep::kFinish ? "Save" : "Next";
    }
    bool Sent() const { return sent_; }
    // The device's own addresses, as the IP step starts.
    const IpEntries& DeviceIpEntries() const { return deviceIp_; }

    // Survey step: the access point ticked (a zeroed entry when the survey no longer holds it).
    // Moves to the security step and returns what it shows.
    BridgeSecurityPreset ChooseAccessPoint(const config_otherwl_basic& entry);
    // Security step: on success keeps the bridge block and moves to the IP step.
    BridgeSecurityCollected SubmitSecurity(const BridgeSecurityEntries& entries);
    // IP step: the checks always run; `ipsInUse` are the address texts of the devices in the
    // store. On success keeps the IP block and moves to the last step.
    std::optional<CheckFailure> SubmitIp(const IpEntries& entries, std::span<const std::string> ipsInUse);
    void Back();

    // The request of the last step; nothing before it.
    std::optional<BridgeRequest> Request() const;
    // Save sent the request.
    void MarkSent();

private:
    std::uint8_t rfType_;
    RawIp currentIp_;
    IpEntries deviceIp_;
    BridgeStep step_ = BridgeStep::kSurvey;
    bool sent_ = false;
    RawMac accessPoint_{};
    BridgeRequest request_;
};

}  // namespace cpe::actions
