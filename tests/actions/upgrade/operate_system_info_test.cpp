// Starting and ending the helpers: own processes only, one ini file and one address per TFTP
// instance, failures reported with their reason, and waits that a stop request cuts short.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "actions/upgrade/operate_system_info.h"
#include "actions/upgrade/upgrade_send_thread.h"
#include "platform/ini_file.h"
#include "platform/system_info.h"
#include "sim/firmware_fetch.h"
#include "tests/actions/upgrade/upgrade_fakes.h"
#include "tests/support/free_port.h"
#include "tests/support/temp_dir.h"

namespace cpe::actions::test {
namespace {

using std::chrono::milliseconds;

// A copy of `sleep` named like a helper, so that processes of that name can be started both by
// the object under test and by someone else.
class OwnProcessesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file("/bin/sleep", dir_ / "cpe-tftpd");
        std::filesystem::permissions(dir_ / "cpe-tftpd", std::filesystem::perms::owner_all);
    }
    std::string Sleeper() const { return (dir_ / "cpe-tftpd").string(); }
    HelperLayout Layout() const {
        HelperLayout layout;
        layout.serviceDir = layout.iniDir = dir_.path();
        return layout;
    }

    cpe::test::TempDir dir_;
};

TEST_F(OwnProcessesTest, KillProcessesEndsOnlyTheProcessesThisObjectStarted) {
    auto foreign = platform::ChildProcess::Launch({Sleeper(), {"30"}, {}, true, {}});
    auto& other = std::get<platform::ChildProcess>(foreign);

    COperateSystemInfo osi(Layout());
    ASSERT_TRUE(osi.LaunchProcess(Sleeper(), {"30"}, false));
    const pid_t ours = osi.FindProcess("cpe-tftpd");
    EXPECT_NE(ours, 0);
    EXPECT_NE(ours, other.Pid());
    EXPECT_EQ(osi.FindProcess("cpe-httpd"), 0);

    osi.KillProcesses("cpe-tftpd");
    EXPECT_EQ(osi.FindProcess("cpe-tftpd"), 0);
    EXPECT_NE(::kill(ours, 0), 0) << "ours is ended and reaped";
    EXPECT_TRUE(other.Running()) << "a process of the same name that we did not start lives on";
    EXPECT_NE(platform::FindProcess("cpe-tftpd"), 0);
}

TEST_F(OwnProcessesTest, LaunchProcessWaitsWhenAskedAndRunsInTheProgramsFolder) {
    std::filesystem::copy_file("/bin/sh", dir_ / "sh");
    std::filesystem::permissions(dir_ / "sh", std::filesystem::perms::owner_all);
    COperateSystemInfo osi(Layout());
    EXPECT_TRUE(osi.LaunchProcess((dir_ / "sh").string(), {"-c", "pwd -P > where"}, true));
    std::ifstream where(dir_ / "where");
    std::string folder;
    std::getline(where, folder);
    EXPECT_EQ(folder, std::filesystem::canonical(dir_.path()).string());
    EXPECT_FALSE(osi.LaunchProcess((dir_ / "missing").string(), {}, false));
}

TEST_F(OwnProcessesTest, IniFilesGoNextToTheHelpersOrIntoTheRuntimeFolder) {
    std::filesystem::create_directory(dir_ / "service");
    const auto writable = HelperLayoutFor(dir_.path());
    EXPECT_EQ(writable.serviceDir, dir_ / "service");
    EXPECT_EQ(writable.iniDir, dir_ / "service");
    // A program folder the user cannot write (here: one that does not exist).
    const auto installed = HelperLayoutFor(dir_ / "usr-lib-cpe-manager");
    EXPECT_EQ(installed.serviceDir, dir_ / "usr-lib-cpe-manager" / "service");
    EXPECT_EQ(installed.iniDir, std::filesystem::path(platform::RuntimeDir()));

    // Without a private runtime folder nothing is written anywhere and no helper starts.
    HelperLayout nowhere = Layout();
    nowhere.iniDir.clear();
    COperateSystemInfo osi(nowhere);
    const HelperStart tftp = osi.StartTftpHelper(dir_.path(), {"127.0.0.1"});
    const HelperStart http = osi.StartFileServerHelper(dir_.path());
    EXPECT_FALSE(tftp.ok);
    EXPECT_FALSE(http.ok);
    EXPECT_EQ(tftp.reason, "no private folder for the helper's ini file");
    EXPECT_EQ(http.reason, tftp.reason);
    EXPECT_FALSE(std::filesystem::exists("tftpd32.ini"));
    EXPECT_FALSE(std::filesystem::exists("FileServer.ini"));
    EXPECT_EQ(osi.FindProcess("cpe-tftpd"), 0);
}

// The real helper programs on loopback addresses.
class HelperStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        cpe::test::WriteBytes(www_ / "fw.bin", std::string(5000, 'f'));
        layout_.serviceDir = std::filesystem::path(CPE_HELPER_DIR);
        layout_.iniDir = ini_.path();
        layout_.tftpPort = cpe::test::FreeLoopbackPort(SOCK_DGRAM);
        layout_.httpPort = cpe::test::FreeLoopbackPort(SOCK_STREAM);
    }
    std::string Ini(const std::string& file, const std::string& section, const std::string& key) {
        return platform::GetPrivateProfileString(section, key, "", 1024, ini_.path() / file);
    }

    cpe::test::TempDir www_, ini_;
    HelperLayout layout_;
};

TEST_F(HelperStartTest, EachTftpInstanceServesItsOwnAddressFromItsOwnIni) {
    COperateSystemInfo osi(layout_);
    const auto started = osi.StartTftpHelper(www_.path().string(), {"127.0.0.1", "127.0.0.2"});
    ASSERT_TRUE(started.ok) << started.reason;
    EXPECT_EQ(Ini("tftpd32.ini", "TFTPD32", "LocalIP"), "127.0.0.1");
    EXPECT_EQ(Ini("tftpd32-2.ini", "TFTPD32", "LocalIP"), "127.0.0.2");
    EXPECT_EQ(Ini("tftpd32-2.ini", "TFTPD32", "BaseDirectory"), www_.path().string());
    for (sim::Ipv4 server : {0x7F000001u, 0x7F000002u}) {
        const auto fetched = sim::TftpFetch(0x7F000001, {server, *layout_.tftpPort}, "fw.bin");
        EXPECT_TRUE(fetched.ok) << fetched.error;
        EXPECT_EQ(fetched.bytes, 5000u);
    }
    // A new start ends the earlier instances first.
    const auto again = osi.StartTftpHelper(www_.path().string(), {"127.0.0.1"});
    EXPECT_TRUE(again.ok) << again.reason;
    osi.StopHelpers();
    EXPECT_EQ(osi.FindProcess("cpe-tftpd"), 0);
}

TEST_F(HelperStartTest, AHelperThatCannotListenIsReportedAndNothingIsLeftRunning) {
    COperateSystemInfo osi(layout_);
    // 192.0.2.1 (a documentation address) is on no interface here: binding to it fails.
    const auto started = osi.StartTftpHelper(www_.path().string(), {"127.0.0.1", "192.0.2.1"});
    EXPECT_FALSE(started.ok);
    EXPECT_EQ(started.helper, HelperKind::kTftp);
    EXPECT_EQ(started.address, "192.0.2.1");
    EXPECT_NE(started.reason.find("cannot listen on 192.0.2.1"), std::string::npos) << started.reason;
    EXPECT_EQ(osi.FindProcess("cpe-tftpd"), 0) << "the instance that did start was ended";

    const auto none = osi.StartTftpHelper(www_.path().string(), {});
    EXPECT_FALSE(none.ok);
    EXPECT_FALSE(none.reason.empty());

    HelperLayout broken = layout_;
    broken.serviceDir = www_.path();  // no helper programs there
    COperateSystemInfo missing(broken);
    const auto absent = missing.StartFileServerHelper(www_.path().string());
    EXPECT_FALSE(absent.ok);
    EXPECT_EQ(absent.helper, HelperKind::kFileServer);
    EXPECT_NE(absent.reason.find("cpe-httpd"), std::string::npos) << absent.reason;
}

TEST_F(HelperStartTest, FileServerStartsServesAndIsFoundByTheSendThreadsWait) {
    COperateSystemInfo osi(layout_);
    const auto started = osi.StartFileServerHelper(www_.path().string());
    ASSERT_TRUE(started.ok) << started.reason;
    EXPECT_EQ(Ini("FileServer.ini", "SERVER", "Directory"), www_.path().string());
    const auto fetched = sim::HttpFetch(0x7F000001, {0x7F000001, *layout_.httpPort}, "fw.bin");
    EXPECT_TRUE(fetched.ok) << fetched.error;
    EXPECT_EQ(fetched.bytes, 5000u);

    UpgradeTimings quick;
    quick.fileServerFirstWait = milliseconds(10);
    quick.fileServerRetryWait = milliseconds(10);
    EXPECT_TRUE(osi.WaitForFileServer({}, quick));
    osi.StopHelpers();
    EXPECT_FALSE(osi.WaitForFileServer({}, quick));
}

TEST(UpgradeSendThreadTest, SendsTheHandedBatchAfterTheWaitAndStopsCooperatively) {
    RecordingSender sender;
    HelperLayout nowhere;
    nowhere.serviceDir = nowhere.iniDir = "/nonexistent";
    COperateSystemInfo osi(nowhere);
    std::atomic<bool> sent = false;
    {
        UpgradeSendThread thread;
        UpgradeTimings quick;
        quick.fileServerFirstWait = milliseconds(5);
        quick.fileServerRetryWait = milliseconds(5);
        thread.Start(
            Devices(3), sender, [&](std::stop_token stop) { osi.WaitForFileServer(stop, quick); },
            [&] { sent = true; });
        for (int i = 0; i < 500 && !sent; ++i)
            std::this_thread::sleep_for(milliseconds(10));
        thread.Stop();
    }
    EXPECT_TRUE(sent);
    EXPECT_EQ(sender.Upgrades(), (std::vector<std::string>{"m1", "m2", "m3"}));

    // Closing the dialog during the three-second wait: nothing is sent, and the join is prompt.
    RecordingSender quiet;
    std::atomic<bool> reported = false;
    UpgradeSendThread thread;
    thread.Start(
        Devices(3), quiet, [&](std::stop_token stop) { osi.WaitForFileServer(stop); }, [&] { reported = true; });
    std::this_thread::sleep_for(milliseconds(20));
    const auto before = std::chrono::steady_clock::now();
    thread.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_TRUE(quiet.Upgrades().empty());
    EXPECT_FALSE(reported);
}

}  // namespace
}  // namespace cpe::actions::test
