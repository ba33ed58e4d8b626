// A device store and a sender that the upgrade tests set up and read back.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "actions/upgrade/upgrade_plan.h"
#include "actions/upgrade/upgrade_run.h"

namespace cpe::actions::test {

// Device i (1-based) has MAC "m<i>" and IP "10.0.0.<i>".
inline UpgradeTarget Device(int i, int model = 1) {
    return {"10.0.0." + std::to_string(i), "m" + std::to_string(i), model};
}
inline std::vector<UpgradeTarget> Devices(int count, int model = 1, int first = 1) {
    std::vector<UpgradeTarget> out;
    for (int i = first; i < first + count; ++i)
        out.push_back(Device(i, model));
    return out;
}
inline std::vector<std::string> Macs(const std::vector<UpgradeTarget>& targets) {
    std::vector<std::string> out;
    for (const auto& t : targets)
        out.push_back(t.mac);
    return out;
}

// One period of the run's life: every timer armed at its start ticks once (a timer armed during
// the period first ticks a period later).
inline void TickArmedTimers(UpgradeRun& run) {
    const bool transfer = run.Armed(UpgradeTimer::kTransfer), flashing = run.Armed(UpgradeTimer::kFlashing),
               followUp = run.Armed(UpgradeTimer::kFollowUp), status = run.Armed(UpgradeTimer::kStatus);
    if (transfer)
        run.TickTransfer();
    if (flashing)
        run.TickFlash();
    if (followUp)
        run.TickFollowUp();
    if (status)
        run.TickStatus();
}

class FakeStore : public UpgradeQueries {
public:
    std::map<std::string, int> status;
    std::vector<std::string> accessPointsWithStations;
    std::map<std::string, std::string> peers;

    void Bridge(const std::string& station, const std::string& accessPoint) {
        peers[station] = accessPoint;
        peers.emplace(accessPoint, station);
        accessPointsWithStations.push_back(accessPoint);
    }
    void SetAll(const std::vector<UpgradeTarget>& targets, int value) {
        for (const auto& t : targets)
            status[t.mac] = value;
    }

    int GetDeviceStatus(const std::string& mac) override {
        const auto it = status.find(mac);
        return it == status.end() ? 0 : it->second;
    }
    bool HasUpgradeWaitStatus(const std::string& mac) override { return GetDeviceStatus(mac) == 6; }
    bool HasBridgedStations(const std::string& mac) override {
        return std::find(accessPointsWithStations.begin(), accessPointsWithStations.end(), mac) !=
               accessPointsWithStations.end();
    }
    std::optional<std::string> FindBridgePeer(const std::string& mac) override {
        const auto it = peers.find(mac);
        if (it == peers.end())
            return std::nullopt;
        return it->second;
    }
};

class RecordingSender : public UpgradeSender {
public:
    void SendUpgrade(const UpgradeTarget& target) override {
        std::lock_guard lock(mutex_);
        upgrades_.push_back(target.mac);
    }
    void SendPoll(const UpgradeTarget& target) override {
        std::lock_guard lock(mutex_);
        polls_.push_back(target.mac);
    }
    std::vector<std::string> Upgrades() {
        std::lock_guard lock(mutex_);
        return upgrades_;
    }
    std::vector<std::string> Polls() {
        std::lock_guard lock(mutex_);
        return polls_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> upgrades_;
    std::vector<std::string> polls_;
};

}  // namespace cpe::actions::test
