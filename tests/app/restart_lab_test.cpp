// The cpe-manager executable killed outright in the middle of its work, then started again in the
// network lab with 40 simulated devices: the lock file and the data.mdb it left behind do not
// stop the new copy, which starts with an empty store, binds its ports and identifies every
// device again, and ends in order.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/e2e/lab_support.h"
#include "tests/e2e/program_copy.h"

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kDevices = 40;
constexpr auto kReplySpread = 2s;

class RestartLabTest : public ::testing::Test {
protected:
    void SetUp() override {
        lab_ = CurrentLab();
        if (!lab_)
            GTEST_SKIP() << "not inside the network lab; ctest runs this through tools/netlab.sh run";
    }

    // The device records the simulated devices have sent, all together.
    std::int64_t RecordsSent(const SimProcess& sim) const {
        const auto dump = sim.Dump();
        std::int64_t records = 0;
        for (std::size_t i = 0; i < dump["devices"].Size(); ++i)
            records += dump["devices"][i]["records_sent"].Int();
        return records;
    }

    // Searches like the status page, every 3 s, until the program's store holds every device.
    bool IdentifiesTheFleet(const ProgramCopy& program) const {
        auto nextSearch = std::chrono::steady_clock::now();
        return WaitUntil(
            [&] {
                if (std::chrono::steady_clock::now() >= nextSearch) {
                    BroadcastSearch(*lab_);
                    nextSearch += 3s;
                }
                return CountDeviceRows(program.Database()).value_or(0) == kDevices;
            },
            30s, 200ms);
    }

    std::optional<LabEnv> lab_;
};

bool ListensOnItsPorts() {
    const auto sockets = UdpDropsByPort();
    for (std::uint16_t port : {9785, 9786, 9787, 9788})
        if (!sockets.count(port))
            return false;
    return true;
}

TEST_F(RestartLabTest, AProgramKilledMidRunStartsAgainNormally) {
    // Answers spread over 2 s, so that the kill falls among the store's writes.
    SimProcess sim(*lab_, {"--devices", std::to_string(kDevices), "--heartbeat-ms", "1000", "--reply-spread-ms",
                           std::to_string(std::chrono::milliseconds(kReplySpread).count())});
    ASSERT_TRUE(sim.Ready()) << "cpe-sim did not start";
    ProgramCopy program(CPE_MANAGER_BINARY, CPE_LOCAL_ADAPTER_LIBRARY);
    const auto lockFile = program.RuntimeFolder() / "Orvana_Brimlink.lock";

    const pid_t first = program.Start();
    ASSERT_TRUE(WaitUntil(ListensOnItsPorts, 10s)) << "the first copy did not bind its ports";
    BroadcastSearch(*lab_);
    // Killed while the devices' records are arriving and being written.
    ASSERT_TRUE(WaitUntil([&] { return RecordsSent(sim) >= static_cast<std::int64_t>(kDevices / 2); }, 10s, 10ms));
    ASSERT_EQ(::kill(first, SIGKILL), 0);
    ASSERT_EQ(ProgramCopy::WaitExit(first, 5s), 128 + SIGKILL);
    ASSERT_TRUE(std::filesystem::exists(program.Database())) << "no stale database to start over";
    ASSERT_TRUE(std::filesystem::exists(lockFile)) << "no stale lock file to start over";
    const auto staleRows = CountDeviceRows(program.Database());
    std::printf("killed with %zu device rows written\n", staleRows.value_or(0));
    // The rest of the first search's replies would otherwise reach the new copy and fill its
    // store before it is seen empty.
    std::this_thread::sleep_for(kReplySpread + 1s);

    const pid_t second = program.Start();
    ASSERT_TRUE(WaitUntil([&] { return CountDeviceRows(program.Database()) == std::size_t{0}; }, 10s))
        << "the restarted copy did not start from an empty store: " << CountDeviceRows(program.Database()).value_or(0)
        << " rows, the copy " << (::kill(second, 0) == 0 ? "runs" : "has ended");
    ASSERT_TRUE(WaitUntil(ListensOnItsPorts, 10s)) << "the restarted copy did not bind its ports";
    EXPECT_TRUE(IdentifiesTheFleet(program)) << CountDeviceRows(program.Database()).value_or(0) << " of " << kDevices
                                             << " devices identified after the restart";

    // It holds the instance lock again: one more copy ends at once.
    EXPECT_EQ(ProgramCopy::WaitExit(program.Start(), 5s), 0);
    EXPECT_EQ(::kill(second, 0), 0);

    ASSERT_EQ(::kill(second, SIGTERM), 0);
    EXPECT_EQ(ProgramCopy::WaitExit(second, 10s), 0);
    EXPECT_FALSE(std::filesystem::exists(program.Database())) << "data.mdb left behind";
}

}  // namespace
}  // namespace cpe::lab
