#include "actions/upgrade/upgrade_plan.h"

#include <algorithm>

#include "actions/upgrade/upgrade_timing.h"

namespace cpe::actions {
namespace {

auto FindMac(std::vector<UpgradeTarget>& list, const std::string& mac) {
    return std::find_if(list.begin(), list.end(), [&](const UpgradeTarget& t) { return t.mac == mac; });
}

}  // namespace

std::vector<int> DistinctModels(const std::vector<UpgradeTarget>& targets) {
    std::vector<int> models;
    for (const auto& t : targets)
        if (std::find(models.begin(), models.end(), t.modelCode) == models.end())
            models.push_back(t.modelCode);
    return models;
}

std::vector<UpgradeTarget> WaitingQueueOf(const std::vector<UpgradeTarget>& targets, int model) {
    std::vector<UpgradeTarget> queue;
    std::copy_if(targets.begin(), targets.end(), std::back_inserter(queue),
                 [model](const UpgradeTarget& t) { return t.modelCode == model; });
    return queue;
}

int TransferTotalFor(std::size_t queued) {
    const auto batches = (queued + kUpgradeBatchSize - 1) / kUpgradeBatchSize;
    return static_cast<int>(batches) * kTransferTicksPerBatch;
}

UpgradeBatch TakeOrdinaryBatch(std::vector<UpgradeTarget>& waiting, UpgradeQueries& store) {
    const std::size_t n = std::min<std::size_t>(kUpgradeBatchSize, waiting.size());
    UpgradeBatch batch;
    // Access points that carry stations go first, so their stations are not cut off by a
    // restarting access point later; such a batch holds only them.
    for (auto it = waiting.begin(); it != waiting.end() && batch.size() < n;) {
        if (store.HasBridgedStations(it->mac)) {
            batch.push_back(std::move(*it));
            it = waiting.erase(it);
        } else {
            ++it;
        }
    }
    if (!batch.empty())
        return batch;
    batch.assign(std::make_move_iterator(waiting.begin()),
                 std::make_move_iterator(waiting.begin() + static_cast<std::ptrdiff_t>(n)));
    waiting.erase(waiting.begin(), waiting.begin() + static_cast<std::ptrdiff_t>(n));
    return batch;
}

UpgradeBatch TakeSetBBatch(std::vector<UpgradeTarget>& waiting, UpgradeQueries& store) {
    UpgradeBatch batch;
    if (waiting.size() <= kUpgradeBatchSize) {
        batch.swap(waiting);
        return batch;
    }
    const std::size_t slots = kUpgradeBatchSize;
    for (std::size_t i = 0; i < waiting.size() && batch.size() < slots;) {
        const std::string& mac = waiting[i].mac;
        const auto peer = store.FindBridgePeer(mac);
        const auto peerIt = peer && *peer != mac ? FindMac(waiting, *peer) : waiting.end();
        const auto at = [&](std::size_t k) { return waiting.begin() + static_cast<std::ptrdiff_t>(k); };
        if (peerIt == waiting.end()) {
            batch.push_back(std::move(waiting[i]));
            waiting.erase(at(i));
            continue;
        }
        if (slots - batch.size() < 2) {  // a pair needs two slots: both wait for the next batch
            ++i;
            continue;
        }
        const auto p = static_cast<std::size_t>(peerIt - waiting.begin());
        batch.push_back(std::move(waiting[p]));
        batch.push_back(std::move(waiting[i]));
        waiting.erase(at(std::max(i, p)));
        waiting.erase(at(std::min(i, p)));
        if (p < i)
            --i;
    }
    return batch;
}

void SendBatch(const UpgradeBatch& batch, UpgradeSender& sender) {
    for (const auto& target : batch)
        sender.SendUpgrade(target);
}

}  // namespace cpe::actions
