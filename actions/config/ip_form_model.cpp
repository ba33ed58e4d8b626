#include "actions/config/ip_form_model.h"

#include "protocol/codes.h"

namespace cpe::actions {
namespace {

constexpr std::uint8_t kApplyNow = 1;

}  // namespace

IpFormModel::IpFormModel(const ap_info_stu& device)
    : currentIp_(device.ip),
      initial_{FormatIp(device.ip), FormatIp(device.ip_mask), FormatIp(device.ip_gateway), FormatIp(device.ip_dns1),
               FormatIp(device.ip_dns2)} {
    ap_info_stu copy = device;
    copy.ip_mode = kStaticAddressMode;
    device_ = MakeIpBlock(copy);
}

Collected<IpBlock> IpFormModel::Collect(const IpEntries& entries, std::span<const std::string> ipsInUse) const {
    Collected<IpBlock> out;
    if (entries == initial_) {
        out.block = device_;
        return out;
    }
    if ((out.failure = CheckIpEntries(entries, kConfigIpRules, currentIp_, ipsInUse)))
        return out;
    out.block = BuildIpBlock(entries, device_[kIpApplyFlagByte]);
    out.changed = out.block != device_;
    if (out.changed)
        out.block[kIpApplyFlagByte] = kApplyNow;
    return out;
}

}  // namespace cpe::actions
