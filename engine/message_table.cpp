// The message table: every message type a device sends, the local port it arrives on, the payload
// its handler reads, and the handler. The receive filters and the workers' dispatch both read it,
// so a new reply type is one row here.
#include <array>
#include <cstddef>

#include "engine/net_management.h"

namespace cpe {

const CNetManagement::MessageRoute* CNetManagement::FindRoute(PortRole port, std::uint16_t type) {
    using M = MessageType;
    using P = PortRole;
    using C = CNetManagement;
    // What each handler reads: a search reply's version (the rest is optional), a heartbeat's
    // version and up_time, a whole device record, a survey packet's counters, a result byte.
    constexpr std::size_t kVersion = offsetof(search_summary, work_mode);
    constexpr std::size_t kVersionAndUpTime = offsetof(search_summary, ap_name);
    constexpr std::size_t kSurveyCounters = offsetof(survey_packet, entries);
    constexpr std::size_t kResult = 1;
    static constexpr std::array<MessageRoute, 11> kRoutes{{
        {M::search, P::kSearchReply, kVersion, &C::OnSearchReply},
        {M::heartbeat, P::kHeartbeat, kVersionAndUpTime, &C::OnHeartbeat},
        {M::get_info, P::kRequest, kGetInfoPayloadSize, &C::OnDeviceInfo},
        {M::site_survey, P::kRequest, kSurveyCounters, &C::OnSurvey},
        {M::set_ip, P::kRequest, 0, &C::OnSetIpReply},
        {M::bridge, P::kRequest, kResult, &C::OnBridgeResult},
        {M::reboot, P::kRequest, kResult, &C::OnRestartResult},
        {M::set_vlan, P::kRequest, kResult, &C::OnRestartResult},
        {M::restore, P::kRequest, kResult, &C::OnRestoreResult},
        {M::upgrade_state, P::kRequest, kResult, &C::OnUpgradeState},
        {M::upgrade_poll, P::kRequest, 0, &C::OnUpgradePoll},
    }};
    for (const MessageRoute& route : kRoutes) {
        if (route.port == port && TypeCode(route.type) == type)
            return &route;
    }
    return nullptr;
}

bool CNetManagement::PassesFilter(PortRole port, std::span<const std::uint8_t> datagram) {
    const auto header = ParsePacketHeader(datagram);
    return header && (port == PortRole::kRequest || FindRoute(port, header->type.get()) != nullptr);
}

}  // namespace cpe
