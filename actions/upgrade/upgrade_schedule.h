// When the upgrade run's four timers are due. A timer armed by the run first comes due one period
// after it was armed and then every period, until the run disarms it; a timer disarmed and armed
// again between two looks keeps its rhythm. The window and cpe-cli drive the same schedule from
// their own clocks: each wakes at NextDue, ticks what TakeDue names, then lets the schedule
// follow the run again.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "actions/upgrade/upgrade_run.h"
#include "actions/upgrade/upgrade_timing.h"

namespace cpe::actions {

class UpgradeSchedule {
public:
    using Clock = std::chrono::steady_clock;

    explicit UpgradeSchedule(const UpgradeTimings& timings);

    // Arms and disarms each timer as the run has it at `now`.
    void Follow(const UpgradeRun& run, Clock::time_point now);
    void Arm(UpgradeTimer timer, bool on, Clock::time_point now);
    bool Armed(UpgradeTimer timer) const { return Slot(timer).armed; }

    // The armed timers due at `now`, earliest first (in the order of UpgradeTimer when due
    // together); each next comes due one period later. A clock that woke late gets one tick per
    // timer, not a burst that catches up.
    std::vector<UpgradeTimer> TakeDue(Clock::time_point now);
    // When the earliest armed timer comes due; none while no timer is armed.
    std::optional<Clock::time_point> NextDue() const;

private:
    struct TimerSlot {
        std::chrono::milliseconds period;
        bool armed = false;
        Clock::time_point due;
    };
    TimerSlot& Slot(UpgradeTimer timer) { return slots_[static_cast<std::size_t>(timer)]; }
    const TimerSlot& Slot(UpgradeTimer timer) const { return slots_[static_cast<std::size_t>(timer)]; }

    std::array<TimerSlot, std::size(kUpgradeTimers)> slots_;
};

}  // namespace cpe::actions
