// The upgrade planner's two interfaces bound to the real device store and protocol engine.
#pragma once

#include <string_view>

#include "actions/upgrade/upgrade_plan.h"
#include "engine/payload_blocks.h"

namespace cpe {
class CNetManagement;
class CSqlManagement;
}  // namespace cpe

namespace cpe::actions {

class StoreUpgradeQueries : public UpgradeQueries {
public:
    explicit StoreUpgradeQueries(CSqlManagement& store) : store_(store) {}
    int GetDeviceStatus(const std::string& mac) override;
    bool HasUpgradeWaitStatus(const std::string& mac) override;
    bool HasBridgedStations(const std::string& mac) override;
    std::optional<std::string> FindBridgePeer(const std::string& mac) override;

private:
    CSqlManagement& store_;
};

// Sends `upgrade` with the block of one firmware file name, and `upgrade_poll`, to port 9787.
class EngineUpgradeSender : public UpgradeSender {
public:
    // `fileName` in the local code set, without folder.
    EngineUpgradeSender(CNetManagement& engine, std::string_view fileName);
    void SendUpgrade(const UpgradeTarget& target) override;
    void SendPoll(const UpgradeTarget& target) override;

private:
    CNetManagement& engine_;
    UpgradeBlock block_;
};

}  // namespace cpe::actions
