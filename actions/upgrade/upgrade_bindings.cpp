#include "actions/upgrade/upgrade_bindings.h"

#include "engine/net_management.h"
#include "store/sql_management.h"

namespace cpe::actions {

int StoreUpgradeQueries::GetDeviceStatus(const std::string& mac) { return store_.GetDeviceStatus(mac); }

bool StoreUpgradeQueries::HasUpgradeWaitStatus(const std::string& mac) { return store_.HasUpgradeWaitStatus(mac); }

bool StoreUpgradeQueries::HasBridgedStations(const std::string& mac) { return store_.HasBridgedStations(mac); }

std::optional<std::string> StoreUpgradeQueries::FindBridgePeer(const std::string& mac) {
    std::string peer;
    if (!store_.FindBridgePeer(mac, peer))
        return std::nullopt;
    return peer;
}

EngineUpgradeSender::EngineUpgradeSender(CNetManagement& engine, std::string_view fileName)
    : engine_(engine), block_(MakeUpgradeBlock(fileName)) {}

void EngineUpgradeSender::SendUpgrade(const UpgradeTarget& target) {
    engine_.SendCommand(target.ip, MessageType::upgrade, block_);
}

void EngineUpgradeSender::SendPoll(const UpgradeTarget& target) {
    engine_.SendCommand(target.ip, MessageType::upgrade_poll);
}

}  // namespace cpe::actions
