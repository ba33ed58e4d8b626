#include "actions/doctor/discovery_checks.h"

#include <algorithm>
#include <cstring>

#include "engine/net_management.h"

namespace cpe::actions {
namespace {

constexpr SocketRole kRoles[] = {SocketRole::kSearchReply, SocketRole::kDiscovery, SocketRole::kHeartbeat,
                                 SocketRole::kRequest};

std::uint16_t AskedPort(const EngineEndpoints& endpoints, SocketRole role) {
    switch (role) {
    case SocketRole::kDiscovery: return endpoints.discoveryPort;
    case SocketRole::kSearchReply: return endpoints.searchReplyPort;
    case SocketRole::kHeartbeat: return endpoints.heartbeatPort;
    case SocketRole::kRequest: return endpoints.requestPort;
    }
    return 0;
}

// A text field of an adapter record, never read past its end.
template <std::size_t N>
std::string Field(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// "10.0.0.1/255.255.255.0, 192.168.7.2/255.255.255.0"
std::string AddressList(const adapter_record& adapter) {
    std::string list;
    const auto count = static_cast<std::size_t>(
        std::clamp<std::int32_t>(adapter.address_count.get(), 0, static_cast<std::int32_t>(kMaxAdapterAddresses)));
    for (std::size_t i = 0; i < count; ++i) {
        const std::string ip = Field(adapter.addresses[i].ip);
        if (ip.empty())
            continue;
        if (!list.empty())
            list += ", ";
        list += ip + "/" + Field(adapter.addresses[i].mask);
    }
    return list;
}

void AddPortFindings(CNetManagement& engine, std::vector<CheckFinding>& findings) {
    const EngineEndpoints asked;
    std::string held;
    for (const SocketRole role : kRoles) {
        const std::uint16_t port = engine.LocalPort(role);
        if (port == 0) {
            findings.push_back(
                {kPortNotHeldKey, {std::to_string(AskedPort(asked, role)), std::string(SocketPurpose(role))}, true});
            continue;
        }
        held += (held.empty() ? "" : ", ") + std::to_string(port);
    }
    if (!held.empty())
        findings.push_back({kPortsHeldKey, {held}});
}

}  // namespace

std::string CheckFinding::Text(std::string_view pattern) const {
    std::string text;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool mark =
            pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd');
        if (mark && next < values.size()) {
            text += values[next++];
            ++i;
            continue;
        }
        text += pattern[i];
    }
    return text;
}

std::vector<CheckFinding> CheckDiscovery(CNetManagement& engine, std::size_t devicesFound) {
    std::vector<CheckFinding> findings;
    const std::vector<adapter_record> adapters = engine.QueryAdapters();
    for (const adapter_record& adapter : adapters)
        findings.push_back({kAdapterSearchedKey, {Field(adapter.name), AddressList(adapter)}});
    if (adapters.empty())
        findings.push_back({kNoAdapterKey, {}, true});
    AddPortFindings(engine, findings);
    const EngineCounters counters = engine.Counters();
    const auto answers = counters.received[static_cast<std::size_t>(PortRole::kSearchReply)];
    findings.push_back(
        {kTrafficKey, {std::to_string(counters.searches), std::to_string(answers), std::to_string(devicesFound)}});
    if (devicesFound == 0) {
        findings.push_back({kNoAnswerKey, {}, true});
        for (const char* cause : {kFirewallCauseKey, kSubnetCauseKey, kPowerCauseKey})
            findings.push_back({cause, {}});
    }
    return findings;
}

bool NothingWrong(const std::vector<CheckFinding>& findings) {
    return std::none_of(findings.begin(), findings.end(), [](const CheckFinding& f) { return f.problem; });
}

}  // namespace cpe::actions
