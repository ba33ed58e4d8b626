// Device rows: what a stored record reads back as, one row per MAC, the status codes and
// the bridge questions.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/codepage.h"
#include "store/ado_database.h"
#include "store/ado_recordset.h"
#include "store/database_file.h"
#include "store/sql_management.h"
#include "tests/store/store_test_support.h"

namespace cpe {
namespace {

class DeviceStoreTest : public ::testing::Test {
protected:
    // Counts the rows that have reached the file.
    int Rows(const char* where = "") {
        CADODatabase db;
        EXPECT_TRUE(db.Connect(store::ConnectionStringFor(test::Snapshot(store.DatabaseFile()))));
        CADORecordset rs(db);
        EXPECT_TRUE(rs.OpenQuery(std::string("select count(*) as c from ap_info ") + where));
        int c = -1;
        rs.ReadInt("c", c);
        return c;
    }

    test::ScratchFolder folder;
    CSqlManagement store{folder.File("data.mdb")};
};

TEST_F(DeviceStoreTest, RecordReadsBackWithoutItsBridgeFields) {
    const ap_info_stu saved = test::MakeDevice(42);
    ASSERT_TRUE(store.SaveDevice(saved));
    ap_info_stu read;
    ASSERT_TRUE(store.GetDevice(test::MacText(42), read));

    ap_info_stu expected = saved;
    std::memset(&expected.bridge, 0, sizeof expected.bridge);
    EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0);
    EXPECT_EQ(read.bridge.bridge_work_mode, 0);
    EXPECT_EQ(read.bridge.bridge_ssid.len, 0);
}

TEST_F(DeviceStoreTest, UnknownDeviceReadsAsZeros) {
    ap_info_stu read = test::MakeDevice(1);
    EXPECT_TRUE(store.GetDevice(test::MacText(1), read));
    EXPECT_EQ(read.mac[0], '\0');
    EXPECT_EQ(read.ap_type.get(), 0);

    ASSERT_TRUE(store.SaveDevice(test::MakeDevice(5)));
    EXPECT_TRUE(store.GetDevice("", read));  // empty MAC: the first row
    EXPECT_STREQ(read.mac, test::MacText(5).c_str());
}

TEST_F(DeviceStoreTest, SavingAgainUpdatesTheOneRowAndAlwaysStoresOnline) {
    ap_info_stu first = test::MakeDevice(7);
    first.ap_status.set(4);
    ASSERT_TRUE(store.SaveDevice(first));
    EXPECT_EQ(store.GetDeviceStatus(test::MacText(7)), 1);

    ap_info_stu second = test::MakeDevice(7);
    second.ap_name.assign("renamed");
    second.channel = 11;
    ASSERT_TRUE(store.SaveDevice(second));
    EXPECT_EQ(Rows(), 1);
    ap_info_stu read;
    ASSERT_TRUE(store.GetDevice(test::MacText(7), read));
    EXPECT_EQ(read.ap_name.text(), "renamed");
    EXPECT_EQ(read.channel, 11);
    EXPECT_EQ(read.ap_status.get(), 1);
}

TEST_F(DeviceStoreTest, CountedTextsAreCappedTrimmedAndConverted) {
    ap_info_stu record = test::MakeDevice(3);
    std::memset(record.ap_name.data, 'n', sizeof record.ap_name.data);
    record.ap_name.len = 40;  // beyond the array: counts as its 32 bytes
    record.version.assign("  v1.0  ");
    record.security.wep_keys[0].key_value.len = 200;
    std::memset(record.security.wep_keys[0].key_value.data, 'k', 26);
    ASSERT_TRUE(store.SaveDevice(record));
    ap_info_stu read;
    ASSERT_TRUE(store.GetDevice(test::MacText(3), read));
    EXPECT_EQ(read.ap_name.len, 32);
    EXPECT_EQ(read.ap_name.view(), std::string(32, 'n'));
    EXPECT_EQ(read.version.text(), "v1.0");
    EXPECT_EQ(read.security.wep_keys[0].key_value.view(), std::string(26, 'k'));
}

TEST_F(DeviceStoreTest, TextsTravelThroughTheAnsiCodeset) {
    platform::SetAnsiCodeset("GBK");
    ap_info_stu record = test::MakeDevice(9);
    const std::string gbkName = "\xD6\xD0\xCE\xC4";  // two ideographs in GBK
    record.ap_name.assign(gbkName);
    ASSERT_TRUE(store.SaveDevice(record));
    ap_info_stu read;
    ASSERT_TRUE(store.GetDevice(test::MacText(9), read));
    EXPECT_EQ(read.ap_name.text(), gbkName);
    platform::SetAnsiCodeset("UTF-8");
    // The row itself holds UTF-8, so a search typed in the window finds it.
    int pages = 0, online = 0;
    std::vector<ap_info_stu> rows;
    ASSERT_TRUE(store.GetDevicePage(CSqlManagement::kSortMac, true, 30, 1, "\xE4\xB8\xAD", pages, online, rows));
    EXPECT_EQ(rows.size(), 1u);
    platform::SetAnsiCodeset("");
}

TEST_F(DeviceStoreTest, HeartbeatUpdatesOnlyKnownDevices) {
    EXPECT_FALSE(store.UpdateHeartbeat("10.0.0.5", test::MacText(1), 99));
    EXPECT_EQ(Rows(), 0);
    ASSERT_TRUE(store.SaveDevice(test::MakeDevice(1)));
    EXPECT_TRUE(store.UpdateHeartbeat("10.0.0.5", test::MacText(1), 99));
    ap_info_stu read;
    ASSERT_TRUE(store.GetDevice(test::MacText(1), read));
    EXPECT_EQ(read.up_time.get(), 99u);
    EXPECT_EQ(read.ip, (RawIp{10, 0, 0, 5}));
    EXPECT_EQ(Rows("where ip_num=83886090"), 1);  // 10 + 0<<8 + 0<<16 + 5<<24
}

TEST_F(DeviceStoreTest, StatusCodesAndTheUpgradeStep) {
    EXPECT_EQ(store.GetDeviceStatus(test::MacText(1)), 0);
    EXPECT_FALSE(store.SetDeviceStatus(test::MacText(1), 6));
    ASSERT_TRUE(store.SaveDevice(test::MakeDevice(1)));
    ASSERT_TRUE(store.SaveDevice(test::MakeDevice(2)));

    EXPECT_FALSE(store.HasUpgradeWaitStatus(test::MacText(1)));
    EXPECT_FALSE(store.MarkUpgrading(test::MacText(1)));
    EXPECT_EQ(store.GetDeviceStatus(test::MacText(1)), 1);

    ASSERT_TRUE(store.SetDeviceStatus(test::MacText(1), 6));
    EXPECT_TRUE(store.HasUpgradeWaitStatus(test::MacText(1)));
    EXPECT_TRUE(store.MarkUpgrading(test::MacText(1)));
    EXPECT_EQ(store.GetDeviceStatus(test::MacText(1)), 7);
    EXPECT_FALSE(store.MarkUpgrading(test::MacText(1)));
    EXPECT_EQ(store.GetDeviceStatus(test::MacText(2)), 1);
}

TEST_F(DeviceStoreTest, DeleteAndAddressListAndHostileMacs) {
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(store.SaveDevice(test::MakeDevice(i)));
    EXPECT_TRUE(store.DeleteDevice(test::MacText(2)));
    EXPECT_TRUE(store.DeleteDevice(test::MacText(2)));  // nothing left to delete is no failure
    std::vector<std::string> ips;
    ASSERT_TRUE(store.GetDeviceIps(ips));
    EXPECT_EQ(ips, (std::vector<std::string>{"192.168.0.1", "192.168.0.3"}));

    // MAC texts are values, never statement text.
    EXPECT_TRUE(store.DeleteDevice("x' or '1'='1"));
    EXPECT_FALSE(store.SetDeviceStatus("' or 1=1 --", 9));
    EXPECT_EQ(store.GetDeviceStatus("' or 1=1 --"), 0);
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(Rows("where ap_status=9"), 0);
}

TEST_F(DeviceStoreTest, BridgeQuestions) {
    // An access point and a station bridged to its wireless MAC, plus an unrelated station.
    ap_info_stu ap = test::MakeDevice(1);
    ap.work_mode = 1;
    ap_info_stu station = test::MakeDevice(2);
    station.work_mode = 2;
    station.bridge.bridge_mac = ap.ssid_mac;
    ap_info_stu lone = test::MakeDevice(3);
    lone.work_mode = 2;
    ASSERT_TRUE(store.SaveDevice(ap));
    ASSERT_TRUE(store.SaveDevice(station));
    ASSERT_TRUE(store.SaveDevice(lone));

    EXPECT_TRUE(store.HasBridgedStations(test::MacText(1)));
    EXPECT_FALSE(store.HasBridgedStations(test::MacText(3)));
    EXPECT_FALSE(store.HasBridgedStations(test::MacText(99)));

    std::string peer;
    ASSERT_TRUE(store.FindBridgePeer(test::MacText(2), peer));  // station -> its access point
    EXPECT_EQ(peer, test::MacText(1));
    ASSERT_TRUE(store.FindBridgePeer(test::MacText(1), peer));  // access point -> a station
    EXPECT_EQ(peer, test::MacText(2));
    EXPECT_FALSE(store.FindBridgePeer(test::MacText(3), peer));
    EXPECT_FALSE(store.FindBridgePeer(test::MacText(99), peer));

    // A station whose access point is itself in station mode has no peer.
    ap.work_mode = 2;
    ASSERT_TRUE(store.SaveDevice(ap));
    EXPECT_FALSE(store.FindBridgePeer(test::MacText(2), peer));
}

}  // namespace
}  // namespace cpe
