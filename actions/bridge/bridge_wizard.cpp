#include "actions/bridge/bridge_wizard.h"

#include "actions/common/record_slices.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

// The device applies the new address together with the bridge, not on its own.
constexpr std::uint8_t kApplyWithBridge = 0;

}  // namespace

BridgePayload BridgePayloadOf(const BridgeRequest& request) {
    ap_info_stu record = RecordWith(request.ip, kIpBlockOffset);
    record.bridge = request.bridge;
    return MakeBridgePayload(record);
}

BridgeWizardModel::BridgeWizardModel(const ap_info_stu& device)
    : rfType_(device.rf_type),
      currentIp_(device.ip),
      deviceIp_{FormatIp(device.ip), FormatIp(device.ip_mask), FormatIp(device.ip_gateway), FormatIp(device.ip_dns1),
                FormatIp(device.ip_dns2)} {}

BridgeSecurityPreset BridgeWizardModel::ChooseAccessPoint(const config_otherwl_basic& entry) {
    accessPoint_ = entry.mac;
    step_ = BridgeStep::kSecurity;
    return PresetFor(rfType_, entry);
}

BridgeSecurityCollected BridgeWizardModel::SubmitSecurity(const BridgeSecurityEntries& entries) {
    BridgeSecurityCollected collected = CollectBridgeSecurity(entries, accessPoint_);
    if (!collected.failure) {
        request_.bridge = collected.block;
        step_ = BridgeStep::kIp;
    }
    return collected;
}

std::optional<CheckFailure> BridgeWizardModel::SubmitIp(const IpEntries& entries,
                                                        std::span<const std::string> ipsInUse) {
    if (auto failure = CheckIpEntries(entries, kBridgeIpRules, currentIp_, ipsInUse))
        return failure;
    request_.ip = BuildIpBlock(entries, kApplyWithBridge);
    step_ = BridgeStep::kFinish;
    return std::nullopt;
}

void BridgeWizardModel::Back() {
    if (sent_)
        return;
    switch (step_) {
    case BridgeStep::kSurvey: break;
    case BridgeStep::kSecurity: step_ = BridgeStep::kSurvey; break;
    case BridgeStep::kIp: step_ = BridgeStep::kSecurity; break;
    case BridgeStep::kFinish: step_ = BridgeStep::kIp; break;
    }
}

std::optional<BridgeRequest> BridgeWizardModel::Request() const {
    if (step_ != BridgeStep::kFinish || sent_)
        return std::nullopt;
    return request_;
}

void BridgeWizardModel::MarkSent() {
    if (step_ == BridgeStep::kFinish)
        sent_ = true;
}

}  // namespace cpe::actions
