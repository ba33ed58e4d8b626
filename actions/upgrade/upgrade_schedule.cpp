#include "actions/upgrade/upgrade_schedule.h"

#include <algorithm>

namespace cpe::actions {

UpgradeSchedule::UpgradeSchedule(const UpgradeTimings& timings) {
    Slot(UpgradeTimer::kTransfer).period = timings.transferPeriod;
    Slot(UpgradeTimer::kFlashing).period = timings.flashPeriod;
    Slot(UpgradeTimer::kFollowUp).period = timings.followUpPeriod;
    Slot(UpgradeTimer::kStatus).period = timings.statusPeriod;
}

void UpgradeSchedule::Follow(const UpgradeRun& run, Clock::time_point now) {
    for (UpgradeTimer timer : kUpgradeTimers)
        Arm(timer, run.Armed(timer), now);
}

void UpgradeSchedule::Arm(UpgradeTimer timer, bool on, Clock::time_point now) {
    TimerSlot& slot = Slot(timer);
    if (on && !slot.armed)
        slot.due = now + slot.period;
    slot.armed = on;
}

std::vector<UpgradeTimer> UpgradeSchedule::TakeDue(Clock::time_point now) {
    std::vector<UpgradeTimer> due;
    for (UpgradeTimer timer : kUpgradeTimers)
        if (Slot(timer).armed && Slot(timer).due <= now)
            due.push_back(timer);
    std::stable_sort(due.begin(), due.end(),
                     [this](UpgradeTimer a, UpgradeTimer b) { return Slot(a).due < Slot(b).due; });
    for (UpgradeTimer timer : due) {
        TimerSlot& slot = Slot(timer);
        slot.due += slot.period;
        if (slot.due <= now)
            slot.due = now + slot.period;
    }
    return due;
}

std::optional<UpgradeSchedule::Clock::time_point> UpgradeSchedule::NextDue() const {
    std::optional<Clock::time_point> next;
    for (const TimerSlot& slot : slots_)
        if (slot.armed && (!next || slot.due < *next))
            next = slot.due;
    return next;
}

}  // namespace cpe::actions
