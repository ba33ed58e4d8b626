#include "actions/config/ip_rules.h"

#include <algorithm>
#include <cstring>

#include "actions/config/config_messages.h"
#include "protocol/codes.h"

namespace cpe::actions {
namespace {

CheckFailure Fail(std::string_view key, ConfigField field) { return {key, field, {}}; }

bool IsEmptyAddress(const std::string& text) { return text.empty() || text == "0.0.0.0"; }

// Address texts compare by the address they name, so "010.0.0.1" is the same as "10.0.0.1".
std::string Canonical(const std::string& text) { return FormatIp(ParseIp(text)); }

}  // namespace

std::optional<CheckFailure> CheckIpEntries(const IpEntries& entries, const IpCheckRules& rules, const RawIp& currentIp,
                                           std::span<const std::string> ipsInUse) {
    if (!IsValidIp(entries.ip, false))
        return Fail(message::kIpInvalid, ConfigField::kIp);
    if (!IsValidMask(entries.mask))
        return Fail(message::kMaskInvalid, ConfigField::kMask);
    if (!IsValidIp(entries.gateway, rules.gatewayMayBeEmpty))
        return Fail(message::kGatewayInvalid, ConfigField::kGateway);
    const std::string ip = Canonical(entries.ip);
    if (ip == Canonical(entries.gateway))
        return Fail(message::kIpIsGateway, ConfigField::kGateway);
    if (!IsEmptyAddress(entries.gateway) &&
        !SameSubnet(ParseIp(entries.ip), ParseIp(entries.gateway), ParseIp(entries.mask)))
        return Fail(message::kGatewayOtherSubnet, ConfigField::kGateway);
    if (!IsValidIp(entries.primaryDns, rules.primaryDnsMayBeEmpty))
        return Fail(message::kPrimaryDnsInvalid, ConfigField::kPrimaryDns);
    if (rules.checkSecondaryDns && !IsValidIp(entries.secondaryDns, true))
        return Fail(message::kSecondaryDnsInvalid, ConfigField::kSecondaryDns);
    if (ip != FormatIp(currentIp) &&
        std::any_of(ipsInUse.begin(), ipsInUse.end(), [&](const std::string& used) { return Canonical(used) == ip; }))
        return Fail(message::kIpInUse, ConfigField::kIp);
    return std::nullopt;
}

IpBlock BuildIpBlock(const IpEntries& entries, std::uint8_t applyFlag) {
    ap_info_stu record;
    std::memset(&record, 0, sizeof record);
    record.ip_mode = kStaticAddressMode;
    record.ip = ParseIp(entries.ip);
    record.ip_mask = ParseIp(entries.mask);
    record.ip_gateway = ParseIp(entries.gateway);
    record.ip_dns1 = ParseIp(entries.primaryDns);
    record.ip_dns2 = ParseIp(entries.secondaryDns);
    record.ip_apply = applyFlag;
    return MakeIpBlock(record);
}

}  // namespace cpe::actions
