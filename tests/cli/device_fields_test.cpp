#include "cli/device_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/codepage.h"
#include "protocol/codes.h"

namespace cpe::cli {
namespace {

std::string CellOf(const RecordTable& table, std::size_t row, const std::string& column) {
    const auto it = std::find(table.columns.begin(), table.columns.end(), column);
    EXPECT_NE(it, table.columns.end()) << column;
    return it == table.columns.end() ? ""
                                     : table.rows.at(row).at(static_cast<std::size_t>(it - table.columns.begin())).text;
}

// The records hold their texts in the local code set; everything printed is UTF-8.
TEST(DeviceTable, StatusListColumnsThenRecordFieldsAllInUtf8) {
    platform::SetAnsiCodeset("GBK");
    ap_info_stu roof{};
    std::snprintf(roof.mac, sizeof roof.mac, "02:c9:5e:00:00:02");
    roof.ap_type.set(260);
    roof.ap_status.set(1);
    roof.ip = ParseIp("10.77.64.9");
    roof.ap_name.assign("\xCE\xDD\xB6\xA5-2");  // 屋顶-2 in GBK
    roof.ssid.assign("net,\"a\"");
    roof.version.assign("V2.1");
    roof.up_time.set(86400 + 2 * 3600 + 3 * 60 + 4);
    roof.work_mode = 2;
    roof.channel = 0;
    roof.vlan_id.set(42);
    ap_info_stu second = roof;
    std::snprintf(second.mac, sizeof second.mac, "02:c9:5e:00:00:03");
    second.channel = 11;

    const RecordTable table = DeviceTable({roof, second}, platform::AnsiCodeset());
    platform::SetAnsiCodeset("");

    ASSERT_GT(table.columns.size(), StatusListFields().size());
    EXPECT_TRUE(std::equal(StatusListFields().begin(), StatusListFields().end(), table.columns.begin()));
    ASSERT_EQ(table.rows.size(), 2u);
    for (const auto& row : table.rows)
        EXPECT_EQ(row.size(), table.columns.size());

    EXPECT_EQ(CellOf(table, 0, "Serial"), "1");
    EXPECT_EQ(CellOf(table, 1, "Serial"), "2");
    EXPECT_EQ(CellOf(table, 0, "Location"), "屋顶-2");
    EXPECT_EQ(CellOf(table, 0, "ap_name"), "屋顶-2");
    EXPECT_EQ(CellOf(table, 0, "Type"), "Haven");
    EXPECT_EQ(CellOf(table, 0, "ap_type"), "260");
    EXPECT_EQ(CellOf(table, 0, "IP"), "10.77.64.9");
    EXPECT_EQ(CellOf(table, 0, "MAC"), "02:c9:5e:00:00:02");
    EXPECT_EQ(CellOf(table, 0, "OperationMode"), "Station");
    EXPECT_EQ(CellOf(table, 0, "SSID"), "net,\"a\"");
    EXPECT_EQ(CellOf(table, 0, "Channel"), "Auto");
    EXPECT_EQ(CellOf(table, 1, "Channel"), "11");
    EXPECT_EQ(CellOf(table, 0, "Time"), "1 2:3:4");
    EXPECT_EQ(CellOf(table, 0, "Status"), "Online");
    EXPECT_EQ(CellOf(table, 0, "vlan_id"), "42");
    EXPECT_TRUE(table.rows[0][0].number);   // Serial
    EXPECT_FALSE(table.rows[0][1].number);  // Location
}

// Keys leave an export only when asked for by name; their neighbours (key times, indexes) stay.
TEST(DeviceTable, KeysAreLeftOutUnlessNamed) {
    ap_info_stu roof{};
    roof.security.wpapsk_key_value.assign("secret-psk");
    RecordTable table = DeviceTable({roof}, "UTF-8");
    const std::vector<std::string> kept = ColumnsWithoutKeys(table);
    for (const char* key : {"wpapsk_key_value", "wpa_key", "wep_key_value0", "wep_key_value3"}) {
        EXPECT_NE(std::find(table.columns.begin(), table.columns.end(), key), table.columns.end()) << key;
        EXPECT_EQ(std::find(kept.begin(), kept.end(), key), kept.end()) << key;
    }
    EXPECT_EQ(kept.size(), table.columns.size() - 6);
    for (const char* field : {"wpapsk_key_time", "wep_key_index", "wep_key_type0", "wpa_radius_ip", "Serial"})
        EXPECT_NE(std::find(kept.begin(), kept.end(), field), kept.end()) << field;
    ASSERT_FALSE(table.Select({"mac", "wpapsk_key_value"}));
    EXPECT_EQ(table.rows.at(0).at(1).text, "secret-psk");
}

}  // namespace
}  // namespace cpe::cli
