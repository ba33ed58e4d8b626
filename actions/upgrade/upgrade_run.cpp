#include "actions/upgrade/upgrade_run.h"

#include <algorithm>

#include "protocol/codes.h"

namespace cpe::actions {
namespace {

// Statuses after which a device no longer holds its batch: gone while restarting, waiting for
// the poll (model set B), upgraded, failed.
bool Settled(int status) {
    return status == kStatusOffline || status == kStatusUpgradeWait || status == kStatusUpgradeSuccess ||
           status == kStatusUpgradeFail;
}

}  // namespace

UpgradeRun::UpgradeRun(const std::vector<UpgradeTarget>& targets, int chosenModel, bool modelSetB,
                       UpgradeQueries& store, UpgradeSender& sender)
    : store_(store), sender_(sender), modelSetB_(modelSetB), waiting_(WaitingQueueOf(targets, chosenModel)) {
    queued_ = static_cast<int>(waiting_.size());
    transferTotal_ = TransferTotalFor(waiting_.size());
}

UpgradeBatch UpgradeRun::Start() {
    Arm(UpgradeTimer::kTransfer, true);
    Arm(UpgradeTimer::kStatus, true);
    batch_ = TakeBatch();
    firstBatchPending_ = true;
    return batch_;
}

void UpgradeRun::FirstBatchSent() {
    if (!firstBatchPending_)
        return;
    firstBatchPending_ = false;
    ++batchesSent_;
    batchTicks_ = 0;
    Arm(UpgradeTimer::kFollowUp, phase_ != UpgradePhase::kFinished);
}

UpgradeBatch UpgradeRun::TakeBatch() {
    return modelSetB_ ? TakeSetBBatch(waiting_, store_) : TakeOrdinaryBatch(waiting_, store_);
}

void UpgradeRun::SendNextBatch() {
    batchTicks_ = 0;
    earlier_.insert(earlier_.end(), batch_.begin(), batch_.end());
    batch_ = TakeBatch();
    if (batch_.empty())
        return;
    SendBatch(batch_, sender_);
    ++batchesSent_;
    Arm(UpgradeTimer::kFollowUp, true);
}

void UpgradeRun::PollWaitingDevices() {
    if (!modelSetB_)
        return;
    for (const auto& target : batch_)
        if (store_.HasUpgradeWaitStatus(target.mac))
            sender_.SendPoll(target);
}

void UpgradeRun::TickFollowUp() {
    if (!Armed(UpgradeTimer::kFollowUp))
        return;
    ++batchTicks_;
    if (batchTicks_ < kBatchLimitTicks && std::any_of(batch_.begin(), batch_.end(), [this](const UpgradeTarget& t) {
            return !Settled(store_.GetDeviceStatus(t.mac));
        }))
        return;
    Arm(UpgradeTimer::kFollowUp, false);
    PollWaitingDevices();
    if (waiting_.empty())
        done_ = true;
    else
        SendNextBatch();
}

void UpgradeRun::TickTransfer() {
    if (!Armed(UpgradeTimer::kTransfer))
        return;
    ++transferTicks_;
    if (transferTicks_ >= transferTotal_ && !done_ && Unsent() > 0)
        transferTotal_ =
            transferTicks_ + std::max(TransferTotalFor(static_cast<std::size_t>(Unsent())), kTransferTicksPerBatch);
    if (transferTicks_ < transferTotal_ && !done_) {
        position_ = transferTicks_;
        return;
    }
    Arm(UpgradeTimer::kTransfer, false);
    phase_ = UpgradePhase::kFlashing;
    position_ = 0;
    Arm(UpgradeTimer::kFlashing, true);
}

void UpgradeRun::TickFlash() {
    if (!Armed(UpgradeTimer::kFlashing))
        return;
    ++flashTicks_;
    position_ = flashTicks_;
    if (flashTicks_ < kFlashTicks)
        return;
    position_ = kFlashTicks;
    phase_ = UpgradePhase::kFinished;
    std::fill(std::begin(armed_), std::end(armed_), false);
}

int UpgradeRun::Unsent() const {
    return static_cast<int>(waiting_.size()) + (firstBatchPending_ ? static_cast<int>(batch_.size()) : 0);
}

std::vector<DeviceStatus> UpgradeRun::TickStatus() {
    std::vector<DeviceStatus> out;
    if (!Armed(UpgradeTimer::kStatus))
        return out;
    for (const auto* list : {&earlier_, &batch_})
        for (const auto& target : *list)
            out.push_back({target.mac, store_.GetDeviceStatus(target.mac)});
    return out;
}

}  // namespace cpe::actions
