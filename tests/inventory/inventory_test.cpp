#include "inventory/inventory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "inventory/backup_file.h"
#include "inventory/event_detail.h"
#include "tests/inventory/inventory_test_support.h"

namespace cpe::inventory {
namespace {

using test::MacText;
using test::MakeDevice;

std::vector<std::string> Kinds(const std::vector<HistoryEvent>& events) {
    std::vector<std::string> kinds;
    for (const HistoryEvent& e : events)
        kinds.push_back(e.kind);
    return kinds;
}

class InventoryTest : public ::testing::Test {
protected:
    std::shared_ptr<Inventory> Writer() {
        auto inventory = Inventory::OpenWriter(test::InventoryAt(file_, clock_));
        EXPECT_TRUE(inventory->WaitOpened(test::kWriteWait));
        return inventory;
    }

    test::ScratchFolder folder_;
    std::filesystem::path file_ = folder_ / "data" / "cpe-manager" / "inventory.sqlite";
    test::TestClock clock_;
};

// What the engine reports becomes the device's row and its history, across a restart.
TEST_F(InventoryTest, EngineReportsBecomeRowsAndEventsAcrossRuns) {
    const std::string mac = MacText(7);
    ap_info_stu record = MakeDevice(7);
    {
        auto inventory = Writer();
        inventory->OnDeviceRecord(record);
        inventory->OnDeviceRecord(record);  // nothing changed: no event
        *clock_.now += 30;
        inventory->OnDeviceHeartbeat(mac, "192.168.5.7");  // moved without a new record
        *clock_.now += 100;
        inventory->OnDeviceGone(mac);
        ASSERT_TRUE(inventory->Flush(test::kWriteWait));
        EXPECT_EQ(Kinds(inventory->History(mac)), (std::vector<std::string>{"gone", "address_changed", "first_seen"}));
        const auto gone = inventory->Device(mac);
        ASSERT_TRUE(gone);
        EXPECT_FALSE(gone->online);
        EXPECT_EQ(gone->lastSeen, 1'800'000'030);  // the heartbeat, not the ageing tick
        EXPECT_EQ(gone->lastIp, "192.168.5.7");
    }
    record.ap_name.assign("Tower-2");
    record.version.assign("V2.6.8");
    *clock_.now += 3600;
    auto inventory = Writer();
    EXPECT_FALSE(inventory->Device(mac)->online);
    inventory->OnDeviceRecord(record);
    ASSERT_TRUE(inventory->Flush(test::kWriteWait));
    const auto events = inventory->History(mac);
    EXPECT_EQ(Kinds(events), (std::vector<std::string>{"firmware_changed", "address_changed", "renamed", "back_online",
                                                       "gone", "address_changed", "first_seen"}));
    EXPECT_EQ(events[0].detail, R"({"from":")" + std::string(MakeDevice(7).version.text()) + R"(","to":"V2.6.8"})");
    const std::vector<KnownDevice> known = inventory->KnownDevices();
    ASSERT_EQ(known.size(), 1u);
    EXPECT_TRUE(known[0].online);
    EXPECT_EQ(known[0].firstSeen, 1'800'000'000);
    EXPECT_EQ(known[0].name, "Tower-2");
}

// The operator's actions carry outcome, front end and user; a backup keeps the whole last record
// (bridge block included) and leaves as a sealed file that reads back the same.
TEST_F(InventoryTest, ActionsAndBackups) {
    const std::string mac = MacText(3);
    ap_info_stu record = MakeDevice(3);
    record.bridge.bridge_ssid.assign("Backhaul");
    record.security.wpapsk_key_value.assign("secret-passphrase");
    auto inventory = Writer();
    EXPECT_EQ(inventory->TakeBackupNow(mac, backup_reason::kOnRequest, test::kWriteWait), 0);  // no record yet
    inventory->OnDeviceRecord(record);
    inventory->RecordAction(mac, event_kind::kReboot, "sent", EventDetail().Add("file", "a\"b"));
    const std::int64_t first = inventory->TakeBackupNow(mac, backup_reason::kBeforeSave, test::kWriteWait);
    const std::int64_t second = inventory->TakeBackupNow(mac, backup_reason::kOnRequest, test::kWriteWait);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, first);

    EXPECT_EQ(inventory->History(mac)[0].detail,
              R"({"file":"a\"b","outcome":"sent","front_end":"test","user":"operator"})");
    const auto listed = inventory->Backups(mac);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, second);
    EXPECT_EQ(listed[1].reason, backup_reason::kBeforeSave);
    const auto backup = inventory->Backup(first);
    ASSERT_TRUE(backup);
    EXPECT_EQ(std::memcmp(&backup->record, &record, sizeof record), 0);

    const auto fields = BackupFields(backup->record, "UTF-8");
    const auto field = [&](std::string_view name) {
        return *std::find_if(fields.begin(), fields.end(), [&](const BackupField& f) { return f.name == name; });
    };
    EXPECT_EQ(field("bridge_ssid").value, "Backhaul");
    EXPECT_TRUE(field("wpapsk_key_value").isKey);
    EXPECT_EQ(field("vlan_id").block, SettingsBlock::kVlan);
    EXPECT_EQ(field("ap_name").block, SettingsBlock::kName);

    std::string error;
    const auto path = folder_ / "tower.backup";
    ASSERT_TRUE(WriteBackupFile(path, *backup, error)) << error;
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    SettingsBackup read;
    ASSERT_EQ(ReadBackupFile(path, read), BackupFileError::kNone);
    EXPECT_EQ(read.mac, mac);
    EXPECT_EQ(read.reason, backup_reason::kBeforeSave);
    EXPECT_EQ(std::memcmp(&read.record, &record, sizeof record), 0);
}

// What a file handed to cpe-cli may be: someone else's, cut short, altered, longer, newer.
TEST_F(InventoryTest, BackupFilesThatAreNotSoundAreRefused) {
    SettingsBackup backup;
    backup.mac = MacText(1);
    backup.record = MakeDevice(1);
    backup.model = backup.record.ap_type.get();
    std::string error;
    const auto path = folder_ / "good.backup";
    ASSERT_TRUE(WriteBackupFile(path, backup, error));
    const std::string good = test::ReadBytes(path);

    const auto verdict = [&](const std::string& bytes) {
        test::WriteBytes(folder_ / "bad.backup", bytes);
        SettingsBackup out;
        return ReadBackupFile(folder_ / "bad.backup", out);
    };
    EXPECT_EQ(verdict("[General]\nname=x\n"), BackupFileError::kNotOurs);
    EXPECT_EQ(verdict(""), BackupFileError::kNotOurs);
    EXPECT_EQ(verdict(good.substr(0, good.size() - 1)), BackupFileError::kTruncated);
    EXPECT_EQ(verdict(good + "x"), BackupFileError::kNotOurs);
    std::string altered = good;
    altered[103 + offsetof(ap_info_stu, vlan_id)] ^= 0x40;
    EXPECT_EQ(verdict(altered), BackupFileError::kAltered);
    std::string newer = good;
    newer[8] = 2;
    EXPECT_EQ(verdict(newer), BackupFileError::kNewerFormat);
    SettingsBackup out;
    EXPECT_EQ(ReadBackupFile(folder_ / "missing.backup", out), BackupFileError::kCannotRead);
}

// The Inventory page's query: online filter, search without ASCII case, address order, paging.
TEST_F(InventoryTest, DevicePageFiltersSearchesSortsAndPages) {
    auto inventory = Writer();
    for (int n : {1, 2, 10, 200, 33}) {
        ap_info_stu record = MakeDevice(n);
        record.ap_name.assign(n == 33 ? "North-Ridge" : "Unit-" + std::to_string(n));
        inventory->OnDeviceRecord(record);
    }
    inventory->OnDeviceGone(MacText(2));
    inventory->OnDeviceGone(MacText(200));
    ASSERT_TRUE(inventory->Flush(test::kWriteWait));

    KnownDeviceQuery query;
    query.filter = OnlineFilter::kOffline;
    KnownDevicePage page = inventory->DevicePage(query);
    EXPECT_EQ(page.matching, 2);
    query.filter = OnlineFilter::kOnline;
    EXPECT_EQ(inventory->DevicePage(query).matching, 3);

    query = {};
    query.search = "nORTH-r";
    page = inventory->DevicePage(query);
    ASSERT_EQ(page.devices.size(), 1u);
    EXPECT_EQ(page.devices[0].mac, MacText(33));

    query = {};
    query.sort = KnownDeviceSort::kIp;
    query.ascending = true;
    query.pageSize = 2;
    query.pageNumber = 2;
    page = inventory->DevicePage(query);
    EXPECT_EQ(page.pageCount, 3);
    ASSERT_EQ(page.devices.size(), 2u);
    // 192.168.0.1, .0.2, .0.10, .0.33, .0.200: numeric order, not text order
    EXPECT_EQ(page.devices[0].lastIp, "192.168.0.10");
    EXPECT_EQ(page.devices[1].lastIp, "192.168.0.33");
    query.pageNumber = 99;  // past the end: the last page
    EXPECT_EQ(inventory->DevicePage(query).devices[0].lastIp, "192.168.0.200");
}

}  // namespace
}  // namespace cpe::inventory
