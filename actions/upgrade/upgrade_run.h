// One firmware upgrade from the moment the operator confirms it until the dialog closes, as a
// machine driven by four one-second timers: transfer progress, flashing progress, batch
// follow-up and status display. The caller owns the timers (and the thread that calls here) and
// keeps each one running exactly while Armed() says so.
//
// The batches and the waiting queue belong to the caller's thread alone. The first batch is
// built there too and handed to a send thread, which only sends it and then reports back
// (FirstBatchSent); every later batch is sent from the follow-up tick.
//
// The transfer phase nominally lasts 120 s per ten devices. It does not end while devices of the
// chosen model still wait for their request (a batch can hold fewer than ten: access points that
// go first, or a pair that did not fit): the phase is then stretched by 120 s per ten still
// waiting, so every device is sent its request before the flashing phase begins.
#pragma once

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "actions/upgrade/upgrade_plan.h"
#include "actions/upgrade/upgrade_timing.h"

namespace cpe::actions {

enum class UpgradeTimer { kTransfer, kFlashing, kFollowUp, kStatus };
inline constexpr UpgradeTimer kUpgradeTimers[] = {UpgradeTimer::kTransfer, UpgradeTimer::kFlashing,
                                                  UpgradeTimer::kFollowUp, UpgradeTimer::kStatus};
enum class UpgradePhase { kTransfer, kFlashing, kFinished };

struct DeviceStatus {
    std::string mac;
    int status = 0;
};

class UpgradeRun {
public:
    UpgradeRun(const std::vector<UpgradeTarget>& targets, int chosenModel, bool modelSetB, UpgradeQueries& store,
               UpgradeSender& sender);

    // Arms the transfer and status timers and gives the first batch, for the send thread.
    UpgradeBatch Start();
    // The send thread has sent the first batch: its follow-up begins.
    void FirstBatchSent();

    void TickTransfer();
    void TickFlash();
    void TickFollowUp();
    // The status of every device sent a request so far, for the list's Status column: earlier
    // batches too, so that a device that failed or finished after its batch was left behind
    // is not shown as still upgrading.
    std::vector<DeviceStatus> TickStatus();

    bool Armed(UpgradeTimer timer) const { return armed_[static_cast<int>(timer)]; }
    UpgradePhase Phase() const { return phase_; }
    int ProgressRange() const { return phase_ == UpgradePhase::kTransfer ? transferTotal_ : kFlashTicks; }
    int ProgressPosition() const { return position_; }
    int Queued() const { return queued_; }
    int BatchesSent() const { return batchesSent_; }
    const UpgradeBatch& CurrentBatch() const { return batch_; }
    // Devices of the chosen model not yet sent a request (the operator must hear of any left
    // when the dialog closes early).
    const std::vector<UpgradeTarget>& Waiting() const { return waiting_; }
    // Devices of the chosen model not yet sent a request: the waiting queue, and the first batch
    // until the send thread reports it sent.
    int Unsent() const;

private:
    UpgradeBatch TakeBatch();
    void SendNextBatch();
    void PollWaitingDevices();
    void Arm(UpgradeTimer timer, bool on) { armed_[static_cast<int>(timer)] = on; }

    UpgradeQueries& store_;
    UpgradeSender& sender_;
    bool modelSetB_;
    std::vector<UpgradeTarget> waiting_;
    std::vector<UpgradeTarget> earlier_;  // the batches before the current one
    UpgradeBatch batch_;
    int queued_ = 0;
    bool armed_[std::size(kUpgradeTimers)] = {};
    UpgradePhase phase_ = UpgradePhase::kTransfer;
    bool firstBatchPending_ = false;
    bool done_ = false;
    int batchTicks_ = 0;
    int transferTicks_ = 0;
    int transferTotal_ = 0;
    int flashTicks_ = 0;
    int position_ = 0;
    int batchesSent_ = 0;
};

}  // namespace cpe::actions
