// The inventory's faults: killed while writing, damaged, newer, a folder that cannot hold it, a
// full disk, and what another user may see. The mount cases run in a child process with a mount
// namespace of its own (root only, as in CI), so that a real read-only or full file system is met.
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "inventory/inventory.h"
#include "inventory/schema.h"
#include "tests/inventory/inventory_test_support.h"

namespace cpe::inventory {
namespace {

using test::MakeDevice;

class InventoryFaultsTest : public ::testing::Test {
protected:
    std::shared_ptr<Inventory> Writer() { return Inventory::OpenWriter(test::InventoryAt(file_, clock_)); }

    // Runs `body` in a child process and returns its exit status (the child's checks decide it).
    static int InChild(const std::function<int()>& body) {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(body());
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    test::ScratchFolder folder_;
    std::filesystem::path file_ = folder_ / "home" / ".local" / "share" / "cpe-manager" / "inventory.sqlite";
    test::TestClock clock_;
};

TEST_F(InventoryFaultsTest, KilledWhileWritingOpensIntactNextTime) {
    // The child says when its first devices and backup are committed, then keeps writing; the
    // kill comes then, whatever the machine's load made of the time it took to get there.
    int committed[2];
    ASSERT_EQ(::pipe(committed), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::close(committed[0]);
        auto inventory = Writer();
        inventory->WaitOpened(test::kWriteWait);
        for (int n = 0;; n = (n + 1) % 5000) {
            inventory->OnDeviceRecord(MakeDevice(n));
            if (n % 1000 == 0)
                inventory->TakeBackup(test::MacText(n), backup_reason::kOnRequest);
            if (n == 1000 && committed[1] >= 0 && inventory->Flush(test::kWriteWait)) {
                const char done = 1;
                (void)!::write(committed[1], &done, 1);
                ::close(committed[1]);
                committed[1] = -1;
            }
        }
    }
    ::close(committed[1]);
    pollfd ready{committed[0], POLLIN, 0};
    char done = 0;
    const bool wrote = ::poll(&ready, 1, 60000) == 1 && ::read(committed[0], &done, 1) == 1;
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ::close(committed[0]);
    ASSERT_TRUE(wrote) << "the writer committed nothing within a minute";

    auto inventory = Writer();
    ASSERT_TRUE(inventory->WaitOpened(test::kWriteWait));
    EXPECT_TRUE(inventory->TakeNotices().empty());
    EXPECT_GT(inventory->KnownDevices().size(), 0u);
    store::SqliteConnection check;
    store::SqlError error;
    ASSERT_TRUE(check.Open(file_.string(), error));
    EXPECT_TRUE(IntegrityOk(check));
}

// A damaged file and one of a newer program are moved aside under a dated name, the operator is
// told once, and a new inventory starts.
TEST_F(InventoryFaultsTest, DamagedOrNewerFileIsMovedAsideAndANewOneStarted) {
    test::WriteBytes(file_, std::string(8192, '\x5a'));
    {
        auto inventory = Writer();
        ASSERT_TRUE(inventory->WaitOpened(test::kWriteWait));
        const auto notices = inventory->TakeNotices();
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].kind, InventoryNotice::Kind::kDamagedMovedAside);
        EXPECT_EQ(test::ReadBytes(notices[0].detail), std::string(8192, '\x5a'));
        EXPECT_TRUE(inventory->TakeNotices().empty());
        inventory->OnDeviceRecord(MakeDevice(1));
        ASSERT_TRUE(inventory->Flush(test::kWriteWait));
    }
    {
        store::SqliteConnection db;
        store::SqlError error;
        ASSERT_TRUE(db.Open(file_.string(), error));
        ASSERT_TRUE(db.Run("PRAGMA user_version = " + std::to_string(kSchemaVersion + 1), {}, error));
    }
    auto inventory = Writer();
    ASSERT_TRUE(inventory->WaitOpened(test::kWriteWait));
    const auto notices = inventory->TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, InventoryNotice::Kind::kNewerMovedAside);
    EXPECT_NE(notices[0].detail.find("inventory.sqlite.newer-"), std::string::npos);
    EXPECT_TRUE(inventory->KnownDevices().empty());
    // A reader of a newer file refuses it too, without touching it.
    EXPECT_FALSE(Inventory::OpenReader(test::InventoryAt(notices[0].detail, clock_))->Usable());
}

// A file of the first version, as the first program wrote it, is taken forward and keeps its rows.
TEST_F(InventoryFaultsTest, FirstVersionFileIsMigratedForward) {
    std::filesystem::create_directories(file_.parent_path());
    {
        store::SqliteConnection db;
        store::SqlError error;
        ASSERT_TRUE(db.Open(file_.string(), error, store::SqliteConnection::OpenMode::kCreate));
        for (const char* statement :
             {"CREATE TABLE devices (mac TEXT PRIMARY KEY NOT NULL, first_seen INTEGER NOT NULL, last_seen INTEGER "
              "NOT NULL, last_ip TEXT NOT NULL DEFAULT '', ip_order INTEGER NOT NULL DEFAULT 0, name TEXT NOT NULL "
              "DEFAULT '', model INTEGER NOT NULL DEFAULT 0, firmware TEXT NOT NULL DEFAULT '', work_mode INTEGER NOT "
              "NULL DEFAULT 0, online INTEGER NOT NULL DEFAULT 0, record BLOB)",
              "CREATE TABLE events (id INTEGER PRIMARY KEY, time INTEGER NOT NULL, mac TEXT NOT NULL, kind TEXT NOT "
              "NULL, detail TEXT NOT NULL DEFAULT '{}')",
              "CREATE TABLE backups (id INTEGER PRIMARY KEY, time INTEGER NOT NULL, mac TEXT NOT NULL, model INTEGER "
              "NOT NULL, reason TEXT NOT NULL, record BLOB NOT NULL, fields TEXT NOT NULL)",
              "INSERT INTO devices (mac, first_seen, last_seen, last_ip, name) VALUES ('02:00:00:00:00:01', 1, 2, "
              "'10.0.0.1', 'Old-Tower')",
              "PRAGMA user_version = 1"})
            ASSERT_TRUE(db.Run(statement, {}, error)) << error.description;
    }
    auto inventory = Writer();
    ASSERT_TRUE(inventory->WaitOpened(test::kWriteWait));
    EXPECT_TRUE(inventory->TakeNotices().empty());
    KnownDeviceQuery query;
    query.search = "old-t";
    const KnownDevicePage page = inventory->DevicePage(query);
    ASSERT_EQ(page.devices.size(), 1u);
    EXPECT_EQ(page.devices[0].name, "Old-Tower");
    store::SqliteConnection check;
    store::SqlError error;
    ASSERT_TRUE(check.Open(file_.string(), error));
    EXPECT_EQ(ReadSchemaVersion(check), kSchemaVersion);
}

// Folder 0700, file 0600, made so from the start and tightened when found looser; another user
// can neither list the folder nor read the file.
TEST_F(InventoryFaultsTest, OnlyItsUserCanReadIt) {
    std::filesystem::create_directories(file_.parent_path());
    ::chmod(file_.parent_path().c_str(), 0755);
    {
        auto inventory = Writer();
        ASSERT_TRUE(inventory->WaitOpened(test::kWriteWait));
        inventory->OnDeviceRecord(MakeDevice(1));
        ASSERT_TRUE(inventory->Flush(test::kWriteWait));
    }
    struct stat info {};
    ASSERT_EQ(::stat(file_.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        if (::stat((file_.string() + suffix).c_str(), &info) == 0) {
            EXPECT_EQ(info.st_mode & 0777, 0600u) << suffix;
        }
    }
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's view needs root to take another user's identity";
    // The folders on the way are opened up for this check, so the file's own mode must hold.
    for (auto folder = file_.parent_path(); folder != folder_.path().parent_path(); folder = folder.parent_path())
        ::chmod(folder.c_str(), 0755);
    const int status = InChild([this] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            return 2;
        struct stat seen {};
        if (::stat(file_.c_str(), &seen) != 0)
            return 3;
        return ::open(file_.c_str(), O_RDONLY) < 0 && errno == EACCES ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    // A link in its place is refused rather than followed.
    std::filesystem::remove(file_);
    std::filesystem::create_symlink(folder_ / "elsewhere", file_);
    auto inventory = Writer();
    EXPECT_FALSE(inventory->WaitOpened(test::kWriteWait));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "elsewhere"));
}

// A read-only home and a full disk: told once, nothing crashes, the reports are taken and dropped.
TEST_F(InventoryFaultsTest, ReadOnlyHomeAndFullDiskAreToldOnce) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a mount namespace needs root";
    const auto inSmallFileSystem = [this](bool readOnly) {
        return InChild([this, readOnly] {
            const std::filesystem::path home = folder_ / "home";
            std::filesystem::create_directories(home);
            if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", home.c_str(), "tmpfs", 0, "size=200k") != 0)
                return 2;
            if (readOnly && ::mount("tmpfs", home.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=200k") != 0)
                return 2;
            auto inventory = Writer();
            if (inventory->WaitOpened(test::kWriteWait) == readOnly)
                return 3;
            for (int n = 0; n < 3000; ++n)
                inventory->OnDeviceRecord(MakeDevice(n));
            inventory->Flush(test::kWriteWait);
            inventory->RecordAction(test::MacText(1), event_kind::kReboot, "sent");
            if (inventory->TakeBackupNow(test::MacText(1), backup_reason::kOnRequest, test::kWriteWait) != 0)
                return 4;
            const auto notices = inventory->TakeNotices();
            if (notices.size() != 1 || notices[0].kind != InventoryNotice::Kind::kUnavailable)
                return 5;
            return inventory->Usable() ? 6 : 0;
        });
    };
    EXPECT_EQ(inSmallFileSystem(true), 0);
    EXPECT_EQ(inSmallFileSystem(false), 0);
}

}  // namespace
}  // namespace cpe::inventory
