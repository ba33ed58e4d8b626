// The store's file: where it lives, that each run starts from empty tables of the right
// shape, that it is gone after exit, and what the store does when it cannot be opened.
#include <gtest/gtest.h>

#include <fstream>

#include "store/ado_database.h"
#include "store/ado_recordset.h"
#include "store/database_file.h"
#include "store/sql_management.h"
#include "tests/store/store_test_support.h"

namespace cpe {
namespace {

std::vector<std::string> ColumnsOf(const std::filesystem::path& file, const char* table) {
    CADODatabase db;
    EXPECT_TRUE(db.Connect(store::ConnectionStringFor(test::Snapshot(file)))) << db.LastErrorText();
    CADORecordset rs(db);
    EXPECT_TRUE(rs.OpenQuery(std::string("pragma table_info(") + table + ")")) << rs.LastErrorText();
    std::vector<std::string> names;
    for (std::string name; !rs.AtEnd(); rs.NextRow()) {
        rs.ReadText("name", name);
        names.push_back(name);
    }
    return names;
}

TEST(StoreFile, PathAndConnectionString) {
    EXPECT_EQ(store::DatabaseFileIn("/opt/cpe"), "/opt/cpe/data.mdb");
    EXPECT_EQ(store::DatabaseFileIn("/opt/cpe/"), "/opt/cpe/data.mdb");
    EXPECT_EQ(store::ConnectionStringFor("/opt/cpe/data.mdb"),
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/cpe/data.mdb");
    EXPECT_EQ(store::DefaultDatabaseFile().filename(), "data.mdb");
}

TEST(StoreFile, LeftoverFileIsReplacedAndExitDeletesIt) {
    test::ScratchFolder folder;
    const auto file = folder.File("data.mdb");
    std::ofstream(file) << "left over from a run that crashed";
    {
        CSqlManagement store(file);
        EXPECT_FALSE(store.OpenFailed());
        EXPECT_EQ(store.DatabaseFile(), file);
        int pages = -1, online = 0;
        std::vector<ap_info_stu> rows;
        EXPECT_TRUE(store.GetDevicePage(CSqlManagement::kSortMac, true, 30, 1, "", pages, online, rows));
        EXPECT_EQ(pages, 0);
        EXPECT_TRUE(rows.empty());
        EXPECT_TRUE(std::filesystem::exists(file));
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));  // no journal or other side files
}

TEST(StoreFile, TablesHaveTheirColumnsInOrder) {
    test::ScratchFolder folder;
    CSqlManagement store(folder.File("data.mdb"));
    const std::vector<std::string> device = ColumnsOf(store.DatabaseFile(), "ap_info");
    ASSERT_EQ(device.size(), 63u);
    const char* expected[] = {"ID",
                              "mac",
                              "ap_type",
                              "ap_status",
                              "work_mode",
                              "mode_btn_status",
                              "up_time",
                              "ip_mode",
                              "ip_num",
                              "ip",
                              "ip_mask",
                              "ip_gateway",
                              "ip_dns1",
                              "ip_dns2",
                              "ap_name",
                              "version",
                              "restart_en",
                              "restart_type",
                              "restart_time",
                              "rf_count",
                              "rf_en",
                              "rf_type",
                              "country_code",
                              "network_mode",
                              "bandwidth",
                              "channel",
                              "expand_channel",
                              "tx_power",
                              "tx_power_min",
                              "tx_power_max",
                              "ssid_count",
                              "ssid_rf_type",
                              "ssid_id",
                              "ssid_hide",
                              "ssid_mac",
                              "ssid",
                              "secure_mode",
                              "wpapsk_auth_type",
                              "wpapsk_key_value",
                              "wpapsk_key_time",
                              "wep_auth_type",
                              "wep_key_index",
                              "wep_key_value0",
                              "wep_key_type0",
                              "wep_key_value1",
                              "wep_key_type1",
                              "wep_key_value2",
                              "wep_key_type2",
                              "wep_key_value3",
                              "wep_key_type3",
                              "wpa_auth_type",
                              "wpa_radius_ip",
                              "wpa_radius_port",
                              "wpa_key",
                              "wpa_key_time",
                              "bridge_work_mode",
                              "bridge_mac",
                              "bridge_channel",
                              "bridge_ssid",
                              "vlan_en",
                              "vlan_id",
                              "vlan_id_wlan",
                              "vlan_id_lan"};
    for (std::size_t i = 0; i < device.size(); ++i)
        EXPECT_EQ(device[i], expected[i]) << "column " << i + 1;

    const std::vector<std::string> survey = ColumnsOf(store.DatabaseFile(), "ap_other_info");
    EXPECT_EQ(survey, (std::vector<std::string>{"ID", "packet_count", "packet_id", "icount", "mac", "ssid", "signal",
                                                "channel", "secure_mode", "exchannel", "bandwidth"}));
}

TEST(StoreFile, AStoreThatCannotOpenAnswersEmpty) {
    test::ScratchFolder folder;
    EXPECT_TRUE(CSqlManagement(std::filesystem::path()).OpenFailed()) << "no file to open";
    CSqlManagement store(folder.File("no-such-folder/data.mdb"));
    ASSERT_TRUE(store.OpenFailed());
    EXPECT_STREQ(CSqlManagement::kOpenFailedKey, "Failed to open database, unable to get data.");

    EXPECT_FALSE(store.SaveDevice(test::MakeDevice(1)));
    int pages = 7, online = 3;
    std::vector<ap_info_stu> rows;
    EXPECT_FALSE(store.GetDevicePage(CSqlManagement::kSortMac, true, 30, 1, "", pages, online, rows));
    EXPECT_EQ(pages, 7);
    EXPECT_EQ(online, 3);
    EXPECT_TRUE(rows.empty());
    ap_info_stu device = test::MakeDevice(2);
    EXPECT_FALSE(store.GetDevice(test::MacText(2), device));
    EXPECT_EQ(device.mac[0], '\0');
    std::vector<std::string> ips;
    EXPECT_FALSE(store.GetDeviceIps(ips));
    EXPECT_EQ(store.GetDeviceStatus(test::MacText(1)), 0);
    EXPECT_FALSE(store.SetDeviceStatus(test::MacText(1), 4));
    EXPECT_FALSE(store.DeleteDevice(test::MacText(1)));
    EXPECT_FALSE(store.UpdateHeartbeat("1.2.3.4", test::MacText(1), 5));
    EXPECT_FALSE(store.ExecuteSql("delete from ap_info"));
    std::string peer;
    EXPECT_FALSE(store.FindBridgePeer(test::MacText(1), peer));
    EXPECT_FALSE(store.ClearSurvey());
    survey_packet packet{};
    packet.icount = 1;
    EXPECT_FALSE(store.SaveSurveyPacket(packet));
}

}  // namespace
}  // namespace cpe
