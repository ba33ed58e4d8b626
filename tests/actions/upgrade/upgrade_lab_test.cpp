// A whole upgrade as the dialog runs it, without the dialog: the real helper programs, engine and
// store on the utility side of the lab, simulated devices on the other, the upgrade's timers
// ticking twenty times faster than in the dialog.
#include <signal.h>

#include <atomic>
#include <set>
#include <thread>

#include "actions/upgrade/operate_system_info.h"
#include "actions/upgrade/upgrade_bindings.h"
#include "actions/upgrade/upgrade_run.h"
#include "actions/upgrade/upgrade_send_thread.h"
#include "protocol/codes.h"
#include "tests/actions/upgrade/upgrade_fakes.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/firmware_image.h"
#include "tests/support/temp_dir.h"

namespace cpe::lab {
namespace {

using namespace cpe::actions;
using cpe::actions::test::TickArmedTimers;
using std::chrono::milliseconds;

constexpr milliseconds kTick{50};

struct Outcome {
    std::vector<std::size_t> batchSizes;
    std::set<std::string> succeeded;  // "Upgrade success" in the store at some tick
    bool finished = false;
};

class UpgradeLabTest : public LabTest {
protected:
    void WriteImage(const std::string& name, std::size_t size) { image_ = FirmwareImage(firmware_.path(), name, size); }
    std::vector<UpgradeTarget> Targets() const {
        std::vector<UpgradeTarget> out;
        for (const auto& d : Devices())
            out.push_back({d["ip"].Str(), d["mac"].Str(), static_cast<int>(d["model"].Int())});
        return out;
    }
    HelperLayout Layout() const {
        HelperLayout layout;
        layout.serviceDir = CPE_HELPER_DIR;
        layout.iniDir = ini_.path();
        return layout;
    }
    // Runs the upgrade the way the dialog does, with the timers on a short clock.
    Outcome Upgrade(UpgradeRun& run, UpgradeSender& sender, std::function<void(std::stop_token)> before,
                    const std::vector<UpgradeTarget>& watched, milliseconds period = kTick) {
        Outcome out;
        std::atomic<bool> firstSent = false;
        UpgradeSendThread thread;
        thread.Start(run.Start(), sender, std::move(before), [&] { firstSent = true; });
        int batches = 0;
        for (int tick = 0; tick < 4000 && run.Phase() != UpgradePhase::kFinished; ++tick) {
            std::this_thread::sleep_for(period);
            if (firstSent.exchange(false))
                run.FirstBatchSent();
            TickArmedTimers(run);
            for (const auto& t : watched)
                if (utility_->Store().GetDeviceStatus(t.mac) == 8)
                    out.succeeded.insert(t.mac);
            if (run.BatchesSent() > batches) {
                batches = run.BatchesSent();
                out.batchSizes.push_back(run.CurrentBatch().size());
            }
        }
        out.finished = run.Phase() == UpgradePhase::kFinished;
        return out;
    }
    void ExpectFetched(const std::string& mac, const char* protocol) { image_.ExpectFetchedBy(*sim_, mac, protocol); }

    cpe::test::TempDir firmware_, ini_;
    FirmwareImage image_;
};

TEST_F(UpgradeLabTest, TwentyFiveDevicesOfOneModelFetchOverTftpInThreeBatches) {
    StartAndDiscover({"--devices", "250", "--reboot-ms", "3000"}, 250);
    WriteImage("fw_a_2.1.bin", (2u << 20) + 123);
    const auto targets = Targets();
    const auto queue = WaitingQueueOf(targets, 1);
    ASSERT_EQ(queue.size(), 25u);

    auto& engine = utility_->Engine();
    std::vector<std::string> ips;
    for (const auto& t : queue)
        ips.push_back(t.ip);
    std::vector<std::string> local;
    for (const auto& a : engine.LocalAddressesFor(ips))
        local.push_back(a.ip);
    ASSERT_EQ(local, (std::vector<std::string>{lab_->utilAddresses.front()}));

    COperateSystemInfo osi(Layout());
    const auto started = osi.StartTftpHelper(firmware_.path().string(), local);
    ASSERT_TRUE(started.ok) << started.reason;
    const pid_t helper = osi.FindProcess("cpe-tftpd");
    engine.SetUpgradeModelCode(1);
    StoreUpgradeQueries store(utility_->Store());
    EngineUpgradeSender sender(engine, "fw_a_2.1.bin");
    UpgradeRun run(targets, 1, IsModelSetB(1), store, sender);
    EXPECT_EQ(run.ProgressRange(), 360);
    const auto outcome = Upgrade(run, sender, {}, queue);
    EXPECT_TRUE(outcome.finished);
    osi.StopHelpers();

    EXPECT_EQ(outcome.batchSizes, (std::vector<std::size_t>{10, 10, 5}));
    EXPECT_EQ(outcome.succeeded.size(), 25u);
    for (const auto& t : queue)
        ExpectFetched(t.mac, "tftp");
    for (const auto& d : Devices()) {
        if (d["model"].Int() == 1)
            continue;
        EXPECT_EQ(d["upgrade"]["file"].Str(), "") << d["mac"].Str() << " was sent a request";
    }
    EXPECT_NE(::kill(helper, 0), 0) << "the helper is gone";
}

TEST_F(UpgradeLabTest, DevicesOnALinkLosingThreePercentStillUpgradeThroughTheTftpHelper) {
    StartAndDiscover({"--devices", "20", "--reboot-ms", "3000"}, 20);
    WriteImage("fw_a_2.2.bin", 64 * 1024);
    const auto targets = Targets();
    const auto queue = WaitingQueueOf(targets, 1);
    ASSERT_FALSE(queue.empty());
    // The device protocol's requests and reports go once each and are spared; the firmware's
    // transfer takes the loss.
    ASSERT_TRUE(SetLinkLoss(*lab_, 3, "9785-9788"));

    COperateSystemInfo osi(Layout());
    ASSERT_TRUE(osi.StartTftpHelper(firmware_.path().string(), {lab_->utilAddresses.front()}).ok);
    auto& engine = utility_->Engine();
    engine.SetUpgradeModelCode(1);
    StoreUpgradeQueries store(utility_->Store());
    EngineUpgradeSender sender(engine, "fw_a_2.2.bin");
    UpgradeRun run(targets, 1, IsModelSetB(1), store, sender);
    // Lost blocks cost the transfer seconds each: the timers run ten times faster than the
    // dialog's here, not twenty.
    const auto outcome = Upgrade(run, sender, {}, queue, milliseconds(100));
    SetLinkLoss(*lab_, 0);
    osi.StopHelpers();

    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.succeeded.size(), queue.size());
    for (const auto& t : queue)
        ExpectFetched(t.mac, "tftp");
}

TEST_F(UpgradeLabTest, ModelSetBWaitsForThePollAndFetchesOverHttp) {
    StartAndDiscover({"--devices", "40", "--reboot-ms", "3000"}, 40);
    WriteImage("fw_b_3.0.bin", 700000);
    const auto targets = Targets();
    const auto queue = WaitingQueueOf(targets, 4);
    ASSERT_EQ(queue.size(), 4u);

    COperateSystemInfo osi(Layout());
    const auto started = osi.StartFileServerHelper(firmware_.path().string());
    ASSERT_TRUE(started.ok) << started.reason;
    auto& engine = utility_->Engine();
    engine.SetUpgradeModelCode(4);
    StoreUpgradeQueries store(utility_->Store());
    EngineUpgradeSender sender(engine, "fw_b_3.0.bin");
    UpgradeRun run(targets, 4, IsModelSetB(4), store, sender);
    UpgradeTimings quick;
    quick.fileServerFirstWait = milliseconds(150);
    quick.fileServerRetryWait = milliseconds(50);
    bool serverFound = false;
    const auto outcome = Upgrade(
        run, sender, [&](std::stop_token stop) { serverFound = osi.WaitForFileServer(stop, quick); }, queue);
    EXPECT_TRUE(outcome.finished);
    EXPECT_TRUE(serverFound);
    osi.StopHelpers();

    EXPECT_EQ(outcome.batchSizes, (std::vector<std::size_t>{4}));
    EXPECT_EQ(outcome.succeeded.size(), 4u);
    for (const auto& t : queue) {
        ExpectFetched(t.mac, "http");
        EXPECT_EQ(sim_->Device(t.mac)["upgrade"]["polls"].Int(), 1) << t.mac;
    }
}

TEST_F(UpgradeLabTest, ClosingDuringTheTransferLeavesNoHelperRunning) {
    StartAndDiscover({"--devices", "20"}, 20);
    WriteImage("fw_big.bin", 8u << 20);
    const auto targets = Targets();
    auto& engine = utility_->Engine();
    COperateSystemInfo osi(Layout());
    ASSERT_TRUE(osi.StartTftpHelper(firmware_.path().string(), {lab_->utilAddresses.front()}).ok);
    ASSERT_TRUE(osi.StartFileServerHelper(firmware_.path().string()).ok);
    const pid_t tftp = osi.FindProcess("cpe-tftpd"), http = osi.FindProcess("cpe-httpd");
    engine.SetUpgradeModelCode(1);
    StoreUpgradeQueries store(utility_->Store());
    EngineUpgradeSender sender(engine, "fw_big.bin");
    UpgradeRun run(targets, 1, false, store, sender);
    UpgradeSendThread thread;
    thread.Start(run.Start(), sender, {}, {});
    // The devices are fetching when the operator closes the dialog.
    ASSERT_TRUE(WaitUntil([&] { return sim_->Device(targets.front().mac)["upgrade"]["phase"].Str() == "fetching"; },
                          std::chrono::seconds(5)));
    thread.Stop();
    osi.StopHelpers();
    EXPECT_EQ(osi.FindProcess("cpe-tftpd"), 0);
    EXPECT_EQ(osi.FindProcess("cpe-httpd"), 0);
    EXPECT_NE(::kill(tftp, 0), 0);
    EXPECT_NE(::kill(http, 0), 0);
}

}  // namespace
}  // namespace cpe::lab
