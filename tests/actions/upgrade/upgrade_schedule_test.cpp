// When the upgrade's timers are due, with periods that differ from one another.
#include <gtest/gtest.h>

#include "actions/upgrade/upgrade_schedule.h"
#include "tests/actions/upgrade/upgrade_fakes.h"

namespace cpe::actions::test {
namespace {

using namespace std::chrono_literals;
using Clock = UpgradeSchedule::Clock;
using Ticks = std::vector<std::pair<int, UpgradeTimer>>;  // (ms since start, timer)

// Wakes at every NextDue up to `until` ms, as the front ends do, and notes what was due.
Ticks Drive(UpgradeSchedule& schedule, Clock::time_point start, int until) {
    Ticks ticks;
    for (auto next = schedule.NextDue(); next && *next <= start + std::chrono::milliseconds(until);
         next = schedule.NextDue()) {
        const int at = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(*next - start).count());
        for (UpgradeTimer timer : schedule.TakeDue(*next))
            ticks.emplace_back(at, timer);
    }
    return ticks;
}

TEST(UpgradeScheduleTest, EachTimerKeepsItsOwnPeriodFromWhenItWasArmed) {
    UpgradeTimings timings;
    timings.transferPeriod = 300ms;
    timings.flashPeriod = 700ms;
    timings.followUpPeriod = 1000ms;
    timings.statusPeriod = 250ms;
    const Clock::time_point t0{};
    UpgradeSchedule schedule(timings);
    EXPECT_FALSE(schedule.NextDue());

    // Armed as a run starts: transfer and status. Due together, transfer comes first.
    FakeStore store;
    RecordingSender sender;
    UpgradeRun run(Devices(2), 1, false, store, sender);
    run.Start();
    schedule.Follow(run, t0);
    EXPECT_TRUE(schedule.Armed(UpgradeTimer::kTransfer));
    EXPECT_FALSE(schedule.Armed(UpgradeTimer::kFollowUp));
    using enum UpgradeTimer;
    EXPECT_EQ(Drive(schedule, t0, 1500), (Ticks{{250, kStatus},
                                                {300, kTransfer},
                                                {500, kStatus},
                                                {600, kTransfer},
                                                {750, kStatus},
                                                {900, kTransfer},
                                                {1000, kStatus},
                                                {1200, kTransfer},
                                                {1250, kStatus},
                                                {1500, kTransfer},
                                                {1500, kStatus}}));

    // Follow-up armed at 1600 ms, flashing at 1650 ms: each first comes due one of its periods later.
    schedule.Arm(kFollowUp, true, t0 + 1600ms);
    schedule.Arm(kTransfer, false, t0 + 1650ms);
    schedule.Arm(kFlashing, true, t0 + 1650ms);
    EXPECT_EQ(
        Drive(schedule, t0, 2600),
        (Ticks{
            {1750, kStatus}, {2000, kStatus}, {2250, kStatus}, {2350, kFlashing}, {2500, kStatus}, {2600, kFollowUp}}));

    // Still armed when looked at again (the run gave up a batch and sent the next in one tick):
    // the rhythm holds. Disarmed for a while: it starts afresh.
    schedule.Arm(kFollowUp, true, t0 + 2700ms);
    EXPECT_EQ(Drive(schedule, t0, 3600).back(), (std::pair{3600, kFollowUp}));
    schedule.Arm(kFlashing, false, t0 + 3600ms);
    schedule.Arm(kFlashing, true, t0 + 3800ms);
    EXPECT_EQ(Drive(schedule, t0, 4500),
              (Ticks{{3750, kStatus}, {4000, kStatus}, {4250, kStatus}, {4500, kFlashing}, {4500, kStatus}}));

    // A clock that wakes two seconds late gets one tick of each due timer, earliest first, and
    // the rhythm resumes from the late wake.
    EXPECT_EQ(schedule.TakeDue(t0 + 6700ms), (std::vector{kFollowUp, kStatus, kFlashing}));
    EXPECT_EQ(schedule.NextDue(), t0 + 6950ms);
    for (UpgradeTimer timer : kUpgradeTimers)
        schedule.Arm(timer, false, t0 + 6700ms);
    EXPECT_FALSE(schedule.NextDue());
    EXPECT_TRUE(schedule.TakeDue(t0 + 9000ms).empty());
}

}  // namespace
}  // namespace cpe::actions::test
