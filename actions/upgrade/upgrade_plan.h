// Who gets the firmware and in which batches. The targets are the ticked devices; the waiting
// queue holds those of the chosen model not yet sent an upgrade request. A batch takes at most
// ten of them: access points with bridged stations first for most models, and for model set B an
// access point together with its station, so a bridge is never cut in half.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cpe::actions {

struct UpgradeTarget {
    std::string ip;   // dotted quad the request goes to
    std::string mac;  // identifies the device's row
    int modelCode = 0;

    bool operator==(const UpgradeTarget&) const = default;
};

using UpgradeBatch = std::vector<UpgradeTarget>;

// What the planner asks the device store.
class UpgradeQueries {
public:
    virtual ~UpgradeQueries() = default;
    virtual int GetDeviceStatus(const std::string& mac) = 0;  // 0 when unknown
    virtual bool HasUpgradeWaitStatus(const std::string& mac) = 0;
    virtual bool HasBridgedStations(const std::string& mac) = 0;
    virtual std::optional<std::string> FindBridgePeer(const std::string& mac) = 0;
};

// How requests reach the devices. Called from the send thread and the user-interface thread.
class UpgradeSender {
public:
    virtual ~UpgradeSender() = default;
    virtual void SendUpgrade(const UpgradeTarget& target) = 0;
    virtual void SendPoll(const UpgradeTarget& target) = 0;
};

// Each model code among the targets once, in the order of first appearance.
std::vector<int> DistinctModels(const std::vector<UpgradeTarget>& targets);
// The targets of `model`, in target order.
std::vector<UpgradeTarget> WaitingQueueOf(const std::vector<UpgradeTarget>& targets, int model);
// Seconds of the transfer phase for this many queued devices: 120 per started batch of ten.
int TransferTotalFor(std::size_t queued);

// The next batch, taken out of `waiting`. Empty only when `waiting` is.
UpgradeBatch TakeOrdinaryBatch(std::vector<UpgradeTarget>& waiting, UpgradeQueries& store);
UpgradeBatch TakeSetBBatch(std::vector<UpgradeTarget>& waiting, UpgradeQueries& store);

void SendBatch(const UpgradeBatch& batch, UpgradeSender& sender);

}  // namespace cpe::actions
