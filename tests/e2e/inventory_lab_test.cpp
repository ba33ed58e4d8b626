// The fleet inventory across runs, in the network lab: cpe-manager finds 40 simulated devices and
// exits; 10 of them stop; started again, it knows those 10 offline and the 30 others online. Then,
// from cpe-cli on the same inventory: a device is configured from a backup, reset to its factory
// settings (which takes a backup first), and that backup brings its settings back, address
// excepted.
#include <signal.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "inventory/backup_file.h"
#include "inventory/inventory.h"
#include "protocol/codes.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/lab_support.h"
#include "tests/e2e/program_copy.h"

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
    // online, searching as its status page does; `meanwhile` looks at it then; then the program is
    // ended as the operator closes it.
    void RunProgram(ProgramCopy& program, std::size_t expected, const std::function<void()>& meanwhile = {}) {
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
        if (meanwhile)
            meanwhile();
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
    // What the Inventory page reads while the second run goes on: every device known, the
    // stopped ones offline, the others online.
    inventory::InventoryOptions options;
    options.file = program.InventoryFile();
    RunProgram(program, kDevices - kStopped, [&] {
        const auto fleet = inventory::Inventory::OpenReader(options);
        const auto known = fleet->KnownDevices();
        ASSERT_EQ(known.size(), kDevices);
        std::size_t offline = 0;
        for (const inventory::KnownDevice& d : known) {
            EXPECT_EQ(d.online, stopped.count(d.mac) == 0) << d.mac;
            offline += d.online ? 0 : 1;
        }
        EXPECT_EQ(offline, kStopped);
        inventory::KnownDeviceQuery query;
        query.filter = inventory::OnlineFilter::kOffline;
        EXPECT_EQ(fleet->DevicePage(query).matching, static_cast<int>(kStopped));
    });

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
    const test::CliResult restored =
        cli({"settings", "restore", mac, "--from", std::to_string(listed.front().id), "--seconds", "40"});
    ASSERT_EQ(restored.status, 0) << restored.out << restored.err;
    const sim::JsonValue after = sim.Device(mac);
    for (const char* field :
         {"ap_name", "ssid", "secure_mode", "channel", "vlan_en", "vlan_id", "restart_en", "restart_time"})
        EXPECT_EQ(after[field].Str() + std::to_string(after[field].Int()),
                  before[field].Str() + std::to_string(before[field].Int()))
            << field;
    EXPECT_EQ(after["ip"].Str(), factoryIp) << "the address is restored only when chosen";
}

}  // namespace
}  // namespace cpe::lab
