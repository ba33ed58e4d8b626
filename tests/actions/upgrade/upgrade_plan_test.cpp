// Who is upgraded, in which batches and in which order.
#include <gtest/gtest.h>

#include "actions/upgrade/upgrade_plan.h"
#include "actions/upgrade/upgrade_timing.h"
#include "tests/actions/upgrade/upgrade_fakes.h"

namespace cpe::actions::test {
namespace {

using Strings = std::vector<std::string>;

TEST(UpgradeQueue, TakesTheChosenModelOnlyAndListsModelsOnce) {
    std::vector<UpgradeTarget> targets = {Device(1, 2), Device(2, 4), Device(3, 2), Device(4, 257), Device(5, 4)};
    EXPECT_EQ(DistinctModels(targets), (std::vector<int>{2, 4, 257}));
    EXPECT_EQ(Macs(WaitingQueueOf(targets, 2)), (Strings{"m1", "m3"}));
    EXPECT_EQ(Macs(WaitingQueueOf(targets, 4)), (Strings{"m2", "m5"}));
    EXPECT_TRUE(WaitingQueueOf(targets, 3).empty());
}

TEST(UpgradeQueue, TransferTotalIs120SecondsPerStartedBatchOfTen) {
    EXPECT_EQ(TransferTotalFor(1), 120);
    EXPECT_EQ(TransferTotalFor(10), 120);
    EXPECT_EQ(TransferTotalFor(11), 240);
    EXPECT_EQ(TransferTotalFor(25), 360);
}

TEST(OrdinaryBatch, TwentyFiveDevicesGoInBatchesOfTenTenAndFive) {
    FakeStore store;
    auto waiting = Devices(25);
    std::vector<std::size_t> sizes;
    UpgradeBatch first;
    while (!waiting.empty()) {
        auto batch = TakeOrdinaryBatch(waiting, store);
        if (first.empty())
            first = batch;
        sizes.push_back(batch.size());
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{10, 10, 5}));
    EXPECT_EQ(first, Devices(10)) << "in queue order";
    EXPECT_TRUE(TakeOrdinaryBatch(waiting, store).empty());
}

TEST(OrdinaryBatch, AccessPointsWithStationsGoFirstAndAlone) {
    FakeStore store;
    store.Bridge("m2", "m5");
    store.Bridge("m3", "m9");
    store.Bridge("m4", "m9");
    auto waiting = Devices(12);
    EXPECT_EQ(Macs(TakeOrdinaryBatch(waiting, store)), (Strings{"m5", "m9"}));
    EXPECT_EQ(Macs(TakeOrdinaryBatch(waiting, store)),
              (Strings{"m1", "m2", "m3", "m4", "m6", "m7", "m8", "m10", "m11", "m12"}));
    EXPECT_TRUE(waiting.empty());

    // At most the batch size of them, even when more carry stations.
    FakeStore many;
    auto crowd = Devices(15);
    for (int i = 1; i <= 15; ++i)
        many.accessPointsWithStations.push_back("m" + std::to_string(i));
    EXPECT_EQ(TakeOrdinaryBatch(crowd, many).size(), 10u);
    EXPECT_EQ(TakeOrdinaryBatch(crowd, many).size(), 5u);
}

TEST(SetBBatch, KeepsBridgePairsTogetherAndSkipsAPairThatDoesNotFit) {
    // Twelve devices; device 10 is a station whose access point is device 12.
    FakeStore store;
    store.Bridge("m10", "m12");
    auto waiting = Devices(12, 4);
    EXPECT_EQ(Macs(TakeSetBBatch(waiting, store)),
              (Strings{"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m11"}));
    EXPECT_EQ(Macs(TakeSetBBatch(waiting, store)), (Strings{"m10", "m12"}));
    EXPECT_TRUE(waiting.empty());
}

TEST(SetBBatch, SendsThePeerFirstAndHandlesPairsAnywhereInTheQueue) {
    FakeStore store;
    store.Bridge("m3", "m14");  // station early, access point late
    store.Bridge("m6", "m2");   // access point before its station
    auto waiting = Devices(15, 260);
    const auto batch = Macs(TakeSetBBatch(waiting, store));
    EXPECT_EQ(batch, (Strings{"m1", "m6", "m2", "m14", "m3", "m4", "m5", "m7", "m8", "m9"}));
    EXPECT_EQ(Macs(waiting), (Strings{"m10", "m11", "m12", "m13", "m15"}));

    // A peer outside the queue (another model, or already upgraded) is no pair.
    FakeStore lone;
    lone.Bridge("m1", "m99");
    auto queue = Devices(11, 5);
    EXPECT_EQ(TakeSetBBatch(queue, lone).front().mac, "m1");
}

TEST(UpgradeTimingValues, AreThoseTheDevicesExpect) {
    const UpgradeTimings t;
    EXPECT_EQ(t.transferPeriod.count(), 1000);
    EXPECT_EQ(t.flashPeriod.count(), 1000);
    EXPECT_EQ(t.followUpPeriod.count(), 1000);
    EXPECT_EQ(t.statusPeriod.count(), 1000);
    EXPECT_EQ(t.fileServerFirstWait.count(), 3000);
    EXPECT_EQ(t.fileServerRetryWait.count(), 1000);
    EXPECT_EQ(t.fileServerChecks, 3);
    EXPECT_EQ(kUpgradeBatchSize, 10);
    EXPECT_EQ(kBatchLimitTicks, 120);
    EXPECT_EQ(kTransferTicksPerBatch, 120);
    EXPECT_EQ(kFlashTicks, 130);
}

}  // namespace
}  // namespace cpe::actions::test
