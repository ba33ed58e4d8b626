// The timed phases of an upgrade and the follow-up of its batches, tick by tick.
#include <gtest/gtest.h>

#include "actions/upgrade/upgrade_run.h"
#include "tests/actions/upgrade/upgrade_fakes.h"

namespace cpe::actions::test {
namespace {

using Strings = std::vector<std::string>;

class UpgradeRunTest : public ::testing::Test {
protected:
    std::unique_ptr<UpgradeRun> Begin(const std::vector<UpgradeTarget>& targets, int model, bool setB) {
        auto run = std::make_unique<UpgradeRun>(targets, model, setB, store_, sender_);
        SendBatch(run->Start(), sender_);  // what the send thread does
        run->FirstBatchSent();
        return run;
    }
    FakeStore store_;
    RecordingSender sender_;
};

TEST_F(UpgradeRunTest, OnlyTheChosenModelIsSentRequests) {
    auto targets = Devices(3, 2);
    const auto others = Devices(3, 257, 10);
    targets.insert(targets.begin() + 1, others.begin(), others.end());
    auto run = Begin(targets, 2, false);
    EXPECT_EQ(run->Queued(), 3);
    EXPECT_EQ(sender_.Upgrades(), (Strings{"m1", "m2", "m3"}));
    store_.SetAll(targets, 8);
    for (int s = 0; s < 400 && run->Phase() != UpgradePhase::kFinished; ++s)
        TickArmedTimers(*run);
    EXPECT_EQ(run->Phase(), UpgradePhase::kFinished);
    EXPECT_EQ(sender_.Upgrades(), (Strings{"m1", "m2", "m3"}));
    EXPECT_TRUE(sender_.Polls().empty());
}

TEST_F(UpgradeRunTest, FollowUpWaitsForSettledStatusesOrTheBatchLimit) {
    const auto targets = Devices(25);
    auto run = Begin(targets, 1, false);
    EXPECT_EQ(run->ProgressRange(), 360);
    store_.SetAll(targets, 7);  // upgrading
    for (int s = 0; s < 30; ++s)
        TickArmedTimers(*run);
    EXPECT_EQ(sender_.Upgrades().size(), 10u);
    EXPECT_EQ(run->ProgressPosition(), 30);

    // The batch settles at second 30 (success, failure, gone, waiting): the next starts at once.
    for (int i = 1; i <= 10; ++i)
        store_.status["m" + std::to_string(i)] = i % 4 == 0 ? 9 : i % 4 == 1 ? 8 : i % 4 == 2 ? 0 : 6;
    TickArmedTimers(*run);
    EXPECT_EQ(sender_.Upgrades().size(), 20u);
    EXPECT_EQ(Macs(run->CurrentBatch()), Macs(Devices(10, 1, 11)));
    EXPECT_TRUE(sender_.Polls().empty()) << "polls are for model set B only";

    // The second batch never settles: it is given up after 120 follow-up ticks.
    for (int s = 0; s < 119; ++s)
        TickArmedTimers(*run);
    EXPECT_EQ(sender_.Upgrades().size(), 20u);
    TickArmedTimers(*run);
    EXPECT_EQ(sender_.Upgrades().size(), 25u);
    EXPECT_EQ(run->BatchesSent(), 3);

    // The list follows every device sent a request so far, earlier batches included.
    const auto shown = run->TickStatus();
    ASSERT_EQ(shown.size(), 25u);
    EXPECT_EQ(shown.front().mac, "m1");
    EXPECT_EQ(shown.front().status, 8);
    EXPECT_EQ(shown.back().mac, "m25");
    EXPECT_EQ(shown.back().status, 7);
}

TEST_F(UpgradeRunTest, TransferPhaseGivesWayToFlashingWhichEndsTheRun) {
    const auto targets = Devices(25);
    auto run = Begin(targets, 1, false);
    store_.SetAll(targets, 7);  // nothing settles: every batch takes its full 120 s
    int second = 0;
    while (run->Phase() == UpgradePhase::kTransfer) {
        TickArmedTimers(*run);
        ++second;
        ASSERT_LE(second, 1000);
    }
    EXPECT_EQ(second, 360);
    EXPECT_EQ(run->ProgressRange(), 130);
    EXPECT_EQ(run->ProgressPosition(), 0);
    EXPECT_TRUE(run->Armed(UpgradeTimer::kFlashing));
    EXPECT_FALSE(run->Armed(UpgradeTimer::kTransfer));
    EXPECT_TRUE(run->Armed(UpgradeTimer::kStatus));
    for (int s = 0; s < 129; ++s)
        TickArmedTimers(*run);
    EXPECT_EQ(run->Phase(), UpgradePhase::kFlashing);
    EXPECT_EQ(run->ProgressPosition(), 129);
    TickArmedTimers(*run);
    EXPECT_EQ(run->Phase(), UpgradePhase::kFinished);
    EXPECT_EQ(run->ProgressPosition(), 130);
    for (auto timer :
         {UpgradeTimer::kTransfer, UpgradeTimer::kFlashing, UpgradeTimer::kFollowUp, UpgradeTimer::kStatus})
        EXPECT_FALSE(run->Armed(timer));
}

TEST_F(UpgradeRunTest, AQuickBatchEndsTheTransferPhaseEarly) {
    const auto targets = Devices(4);
    auto run = Begin(targets, 1, false);
    store_.SetAll(targets, 1);  // online, not yet reporting
    for (int s = 0; s < 29; ++s)
        TickArmedTimers(*run);
    store_.SetAll(targets, 8);
    TickArmedTimers(*run);  // 30: the batch settles and the queue is empty
    EXPECT_EQ(run->Phase(), UpgradePhase::kTransfer);
    TickArmedTimers(*run);  // 31: the transfer phase sees it is done
    EXPECT_EQ(run->Phase(), UpgradePhase::kFlashing);
}

TEST_F(UpgradeRunTest, SetBBatchesArePolledAndPairsStayTogether) {
    store_.Bridge("m10", "m12");
    const auto targets = Devices(12, 4);
    auto run = Begin(targets, 4, true);
    EXPECT_EQ(sender_.Upgrades(), (Strings{"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m11"}));
    // Every device of the batch reports that it waits; one has failed.
    for (const auto& mac : sender_.Upgrades())
        store_.status[mac] = 6;
    store_.status["m5"] = 9;
    TickArmedTimers(*run);
    EXPECT_EQ(sender_.Polls(), (Strings{"m1", "m2", "m3", "m4", "m6", "m7", "m8", "m9", "m11"}));
    EXPECT_EQ(Macs(run->CurrentBatch()), (Strings{"m10", "m12"}));
    // The station keeps upgrading: after 120 s the batch is given up, and the access point that
    // waits is polled all the same.
    store_.status["m10"] = 7;
    store_.status["m12"] = 6;
    for (int s = 0; s < 119; ++s)
        TickArmedTimers(*run);
    EXPECT_EQ(sender_.Polls().size(), 9u);
    TickArmedTimers(*run);
    EXPECT_EQ(sender_.Polls().size(), 10u);
    EXPECT_EQ(sender_.Polls().back(), "m12");
}

TEST_F(UpgradeRunTest, TransferPhaseLastsUntilEveryDeviceWasSentItsRequest) {
    // Three access points with stations make a batch of their own, so 25 devices need four
    // batches while the nominal clock has room for three.
    for (int ap : {3, 7, 11})
        store_.accessPointsWithStations.push_back("m" + std::to_string(ap));
    const auto targets = Devices(25);
    auto run = Begin(targets, 1, false);
    EXPECT_EQ(sender_.Upgrades(), (Strings{"m3", "m7", "m11"}));
    store_.SetAll(targets, 7);
    int second = 0;
    while (run->Phase() == UpgradePhase::kTransfer && second < 2000) {
        TickArmedTimers(*run);
        ++second;
        if (second == 360) {
            EXPECT_EQ(run->Phase(), UpgradePhase::kTransfer) << "22 devices are still waiting";
            EXPECT_GT(run->ProgressRange(), 360);
        }
    }
    EXPECT_EQ(sender_.Upgrades().size(), 25u);
    EXPECT_TRUE(run->Waiting().empty());
    EXPECT_EQ(second, 480) << "the fourth batch went out at 360, the phase ended at its 120 s";
}

TEST_F(UpgradeRunTest, FollowUpStartsOnlyOnceTheSendThreadSentTheFirstBatch) {
    const auto targets = Devices(12);
    UpgradeRun run(targets, 1, false, store_, sender_);
    const auto first = run.Start();
    EXPECT_EQ(first.size(), 10u);
    EXPECT_TRUE(sender_.Upgrades().empty()) << "Start only builds the batch";
    EXPECT_FALSE(run.Armed(UpgradeTimer::kFollowUp));
    EXPECT_EQ(run.Unsent(), 12) << "the first batch counts as unsent until the thread reports it";
    store_.SetAll(targets, 8);
    for (int s = 0; s < 5; ++s)
        TickArmedTimers(run);
    EXPECT_TRUE(sender_.Upgrades().empty());
    EXPECT_EQ(run.TickStatus().size(), 10u);
    SendBatch(first, sender_);
    run.FirstBatchSent();
    EXPECT_EQ(run.Unsent(), 2);
    TickArmedTimers(run);
    EXPECT_EQ(sender_.Upgrades().size(), 12u);
    EXPECT_EQ(run.Unsent(), 0);
}

}  // namespace
}  // namespace cpe::actions::test
