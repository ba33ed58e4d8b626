// The fleet inventory across runs, in the network lab: cpe-manager finds 40 simulated devices and
// exits; 10 of them stop; from cpe-cli on the same inventory a device is configured from a backup
// and reset to its factory settings (which takes a backup first). Then the window runs again: its
// Inventory page shows those 10 offline and the 30 others online, and "Restore settings" from the
// factory reset's backup brings the device's settings back, address excepted.
#include <signal.h>

#include <QCheckBox>
#include <QComboBox>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "fleet/inventory_page.h"
#include "fleet/restore_settings_dlg.h"
#include "inventory/backup_file.h"
#include "inventory/inventory.h"
#include "protocol/codes.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/lab_support.h"
#include "tests/e2e/program_copy.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kDevices = 40;
constexpr std::size_t kStopped = 10;

class InventoryLab : public ::testing::Test {
protected:
    void SetUp() override {
        lab_ = CurrentLab();
        if (!lab_)
            GTEST_SKIP() << "not inside the network lab; ctest runs this through tools/netlab.sh run";
    }

    // Runs the program until the store holds `expected` rows and its inventory as many devices
    // online, searching as its status page does; then the program is ended as the operator closes it.
    void RunProgram(ProgramCopy& program, std::size_t expected) {
        const pid_t pid = program.Start();
        auto next = std::chrono::steady_clock::now();
        const bool found = WaitUntil(
            [&] {
                if (std::chrono::steady_clock::now() >= next) {
                    BroadcastSearch(*lab_);
                    next += 3s;
                }
                return CountDeviceRows(program.Database()).value_or(0) >= expected && Online(program) >= expected;
            },
            40s, 200ms);
        EXPECT_TRUE(found) << CountDeviceRows(program.Database()).value_or(0) << " rows, " << Online(program)
                           << " online in the inventory";
        ::kill(pid, SIGTERM);
        EXPECT_EQ(ProgramCopy::WaitExit(pid, 20s), 0);
    }

    static std::size_t Online(const ProgramCopy& program) {
        inventory::InventoryOptions options;
        options.file = program.InventoryFile();
        std::size_t online = 0;
        for (const inventory::KnownDevice& d : inventory::Inventory::OpenReader(options)->KnownDevices())
            online += d.online ? 1 : 0;
        return online;
    }

    std::optional<LabEnv> lab_;
};

TEST_F(InventoryLab, DevicesStayKnownAcrossRunsAndABackupUndoesAFactoryReset) {
    SimProcess sim(*lab_, {"--devices", std::to_string(kDevices), "--heartbeat-ms", "2000", "--reboot-ms", "1500",
                           "--apply-ms", "100"});
    ASSERT_TRUE(sim.Ready());
    ProgramCopy program(CPE_MANAGER_BINARY, CPE_LOCAL_ADAPTER_LIBRARY);
    RunProgram(program, kDevices);

    const auto dump = sim.Dump();
    std::set<std::string> stopped;
    for (std::size_t i = 0; i < kStopped; ++i) {
        stopped.insert(dump["devices"][i * 4]["mac"].Str());
        ASSERT_TRUE(sim.Request("stop " + dump["devices"][i * 4]["mac"].Str()));
    }
    inventory::InventoryOptions options;
    options.file = program.InventoryFile();

    // cpe-cli on the same inventory (its data folder is the program's).
    const auto cli = [&](const std::vector<std::string>& args) {
        return test::RunCli(CPE_CLI_BINARY, args, program.DataFolder().parent_path(), 120s);
    };
    const std::string mac = dump["devices"][1]["mac"].Str();
    const test::CliResult first = cli({"backup", mac, "--out", (program.DataFolder() / "first.backup").string()});
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    inventory::SettingsBackup configured;
    ASSERT_EQ(inventory::ReadBackupFile(program.DataFolder() / "first.backup", configured),
              inventory::BackupFileError::kNone);
    configured.record.ap_name.assign("Ridge-North");
    configured.record.ssid.assign("backhaul-7");
    const std::string factoryIp = dump["devices"][1]["ip"].Str();
    const std::string movedIp = factoryIp.substr(0, factoryIp.rfind('.')) + ".201";
    configured.record.ip = ParseIp(movedIp);
    std::string error;
    ASSERT_TRUE(inventory::WriteBackupFile(program.DataFolder() / "configured.backup", configured, error)) << error;
    const test::CliResult configure =
        cli({"settings", "restore", mac, "--from", (program.DataFolder() / "configured.backup").string(), "--blocks",
             "name,wireless,ip"});
    ASSERT_EQ(configure.status, 0) << configure.out << configure.err;
    const sim::JsonValue before = sim.Device(mac);
    EXPECT_EQ(before["ap_name"].Str(), "Ridge-North");
    EXPECT_EQ(before["ssid"].Str(), "backhaul-7");
    EXPECT_EQ(before["ip"].Str(), movedIp);

    const test::CliResult reset = cli({"restore", mac});
    ASSERT_EQ(reset.status, 0) << reset.out << reset.err;
    ASSERT_TRUE(WaitUntil([&] { return sim.Device(mac)["ap_name"].Str() != "Ridge-North"; }, 20s, 200ms));
    const test::CliResult backups = cli({"history", mac, "--format", "csv"});
    EXPECT_NE(backups.out.find("factory_restore"), std::string::npos) << backups.out;

    const auto listed = inventory::Inventory::OpenReader(options)->Backups(mac);
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed.front().reason, inventory::backup_reason::kBeforeFactoryRestore);

    // The window's next run, on the same inventory.
    options.frontEnd = "window";
    const auto fleet = inventory::Inventory::OpenWriter(options);
    ASSERT_TRUE(fleet->WaitOpened(10s));
    Utility window;
    ASSERT_TRUE(window.Started());
    window.Engine().SetDeviceObserver(fleet);
    inventory::KnownDeviceQuery online;
    online.filter = inventory::OnlineFilter::kOnline;
    auto next = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitUntil(
        [&] {
            if (std::chrono::steady_clock::now() >= next) {
                window.Engine().Search();
                next += 3s;
            }
            return window.RowCount() >= kDevices - kStopped &&
                   fleet->DevicePage(online).matching >= static_cast<int>(kDevices - kStopped);
        },
        40s, 200ms));
    SetMessageBoxHook([](const MessageBoxRequest& r) {
        ADD_FAILURE() << "told: " << r.text.toStdString();
        return int(IDOK);
    });
    const PageServices services{window.Engine(), window.Store(), fleet.get()};
    test::FakeHost host;
    CInventoryDlg page(nullptr, host, services);
    page.show();
    page.RefreshList();
    EXPECT_EQ(page.OnlineCount(), static_cast<int>(kDevices));
    QComboBox& filter = *page.FilterList();
    filter.setCurrentIndex(filter.findData(static_cast<int>(inventory::OnlineFilter::kOffline)));
    ASSERT_EQ(page.OnlineCount(), static_cast<int>(kStopped));
    for (int row = 1; row <= static_cast<int>(kStopped); ++row)
        EXPECT_EQ(stopped.count(page.RowDevice(row)->mac), 1u) << page.RowDevice(row)->mac;
    filter.setCurrentIndex(filter.findData(static_cast<int>(inventory::OnlineFilter::kOnline)));
    EXPECT_EQ(page.OnlineCount(), static_cast<int>(kDevices - kStopped));

    CRestoreSettingsDlg restore(services, mac, &page);
    restore.show();
    ASSERT_EQ(restore.ListedBackups().front().id, listed.front().id) << "the newest backup is offered first";
    EXPECT_FALSE(restore.BlockBox(inventory::SettingsBlock::kIp)->isChecked());
    QTest::mouseClick(restore.ActionButton(), Qt::LeftButton);
    EXPECT_EQ(restore.ResultLabel()->text(), "The device reports the restored settings.");
    SetMessageBoxHook({});
    const sim::JsonValue after = sim.Device(mac);
    for (const char* field :
         {"ap_name", "ssid", "secure_mode", "channel", "vlan_en", "vlan_id", "restart_en", "restart_time"})
        EXPECT_EQ(after[field].Str() + std::to_string(after[field].Int()),
                  before[field].Str() + std::to_string(before[field].Int()))
            << field;
    EXPECT_EQ(after["ip"].Str(), factoryIp) << "the address is restored only when chosen";
    ASSERT_TRUE(fleet->Flush(10s));
    const auto events = fleet->History(mac);
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const inventory::HistoryEvent& e) {
        return e.kind == inventory::event_kind::kSettingsRestore && e.detail.find("\"confirmed\"") != std::string::npos;
    })) << "the restore and its outcome are in the device's history";
}

}  // namespace
}  // namespace cpe::lab
