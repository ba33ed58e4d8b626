// The message table: every message type a device sends, the local port it arrives on, the payload
// its handler reads, and the handler. The receive filters and the workers' dispatch both read it,
// so a new reply type is one row here.
#include <array>

#include "engine/net_management.h"

namespace cpe {

const CNetManagement::MessageRoute* CNetManagement::FindRoute(PortRole port, std::uint16_t type) {
    using M = MessageType;
    using P = PortRole;
    using C = CNetManagement;
    static constexpr std::array<MessageRoute, 11> kRoutes{{
        {M::search, P::searchReply, 33, &C::OnSearchReply},  // the version; the rest is optional
        {M::heartbeat, P::heartbeat, 40, &C::OnHeartbeat},   // version and up_time
        {M::get_info, P::request, kGetInfoPayloadSize, &C::OnDeviceInfo},
        {M::site_survey, P::request, 3, &C::OnSurvey},  // packet_count, packet_id, icount
        {M::set_ip, P::request, 0, &C::OnSetIpReply},
        {M::bridge, P::request, 1, &C::OnBridgeResult},  // the result byte
        {M::reboot, P::request, 1, &C::OnRestartResult},
        {M::set_vlan, P::request, 1, &C::OnRestartResult},
        {M::restore, P::request, 1, &C::OnRestoreResult},
        {M::upgrade_state, P::request, 1, &C::OnUpgradeState},
        {M::upgrade_poll, P::request, 0, &C::OnUpgradePoll},
    }};
    for (const MessageRoute& route : kRoutes) {
        if (route.port == port && TypeCode(route.type) == type)
            return &route;
    }
    return nullptr;
}

bool CNetManagement::PassesFilter(PortRole port, std::span<const std::uint8_t> datagram) {
    const auto header = ParsePacketHeader(datagram);
    return header && (port == PortRole::request || FindRoute(port, header->type.get()) != nullptr);
}

}  // namespace cpe
