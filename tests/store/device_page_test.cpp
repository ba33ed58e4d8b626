// Paged, sorted and filtered device lists, checked against a plain reading of the rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include "protocol/codes.h"
#include "store/sql_management.h"
#include "tests/store/store_test_support.h"

namespace cpe {
namespace {

struct Page {
    bool ok = false;
    int pages = -1;
    int online = 0;
    std::vector<ap_info_stu> rows;
};

class DevicePageTest : public ::testing::Test {
protected:
    Page Get(int sort, bool ascending, int size, int number, std::string_view search = "") {
        Page page;
        page.ok = store.GetDevicePage(sort, ascending, size, number, search, page.pages, page.online, page.rows);
        return page;
    }

    test::ScratchFolder folder;
    CSqlManagement store{folder.File("data.mdb")};
};

std::vector<std::string> Macs(const std::vector<ap_info_stu>& rows) {
    std::vector<std::string> macs;
    for (const ap_info_stu& r : rows)
        macs.emplace_back(r.mac);
    return macs;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

TEST_F(DevicePageTest, UnknownSortCodeOrPageSizeTouchesNothing) {
    ASSERT_TRUE(store.SaveDevice(test::MakeDevice(1)));
    Page page;
    page.pages = 5;
    page.online = 2;
    EXPECT_FALSE(store.GetDevicePage(12, true, 30, 1, "", page.pages, page.online, page.rows));
    EXPECT_FALSE(store.GetDevicePage(-1, true, 30, 1, "", page.pages, page.online, page.rows));
    EXPECT_FALSE(store.GetDevicePage(0, true, 0, 1, "", page.pages, page.online, page.rows));
    EXPECT_EQ(page.pages, 5);
    EXPECT_EQ(page.online, 2);
    EXPECT_TRUE(page.rows.empty());
}

TEST_F(DevicePageTest, PagesCountAndOnlineCountCoverTheWholeResult) {
    for (int i = 1; i <= 31; ++i)
        ASSERT_TRUE(store.SaveDevice(test::MakeDevice(i)));
    ASSERT_TRUE(store.SetDeviceStatus(test::MacText(5), 0));
    ASSERT_TRUE(store.SetDeviceStatus(test::MacText(6), 4));

    Page first = Get(CSqlManagement::kSortMac, true, 30, 1);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.pages, 2);
    EXPECT_EQ(first.rows.size(), 30u);
    EXPECT_EQ(first.online, 30);  // every row but the one in status 0

    Page second = Get(CSqlManagement::kSortMac, true, 30, 2);
    ASSERT_EQ(second.rows.size(), 1u);
    EXPECT_STREQ(second.rows[0].mac, test::MacText(31).c_str());
    EXPECT_EQ(second.online, 30);

    Page beyond = Get(CSqlManagement::kSortMac, true, 30, 3);
    EXPECT_TRUE(beyond.ok);
    EXPECT_TRUE(beyond.rows.empty());
    EXPECT_EQ(beyond.pages, 2);

    // The online count is added to and the list appended to.
    int online = 10;
    std::vector<ap_info_stu> rows(2);
    int pages = 0;
    ASSERT_TRUE(store.GetDevicePage(CSqlManagement::kSortMac, true, 31, 1, "", pages, online, rows));
    EXPECT_EQ(online, 40);
    EXPECT_EQ(rows.size(), 33u);
    EXPECT_EQ(pages, 1);
}

TEST_F(DevicePageTest, AddressesOrderByTheirLastOctetFirst) {
    const RawIp ips[] = {{192, 168, 0, 1}, {10, 0, 0, 2}, {192, 168, 1, 1}, {192, 168, 0, 200}, {1, 2, 3, 255}};
    for (int i = 0; i < 5; ++i) {
        ap_info_stu r = test::MakeDevice(i + 1);
        r.ip = ips[i];
        ASSERT_TRUE(store.SaveDevice(r));
    }
    Page asc = Get(CSqlManagement::kSortIpNum, true, 10, 1);
    std::vector<std::string> order;
    for (const ap_info_stu& r : asc.rows)
        order.push_back(FormatIp(r.ip));
    // ip_num = a + b<<8 + c<<16 + d<<24: the last octet weighs most.
    EXPECT_EQ(order,
              (std::vector<std::string>{"192.168.0.1", "192.168.1.1", "10.0.0.2", "192.168.0.200", "1.2.3.255"}));
    Page desc = Get(CSqlManagement::kSortIpNum, false, 10, 1);
    EXPECT_EQ(FormatIp(desc.rows.front().ip), "1.2.3.255");
}

TEST_F(DevicePageTest, SearchMatchesTextsAndNumbersAsTyped) {
    ap_info_stu byChannel = test::MakeDevice(1);
    byChannel.channel = 10;
    byChannel.ip = {172, 16, 0, 1};
    ap_info_stu byIp = test::MakeDevice(2);
    byIp.channel = 3;
    byIp.ip = {172, 16, 10, 1};
    ap_info_stu neither = test::MakeDevice(3);
    neither.channel = 3;
    neither.ip = {172, 16, 0, 3};
    neither.version.assign("V2.1.1");
    for (const ap_info_stu& r : {byChannel, byIp, neither})
        ASSERT_TRUE(store.SaveDevice(r));

    Page ten = Get(CSqlManagement::kSortMac, true, 30, 1, "10");
    EXPECT_EQ(Macs(ten.rows), (std::vector<std::string>{test::MacText(1), test::MacText(2)}));
    EXPECT_EQ(ten.pages, 1);
    EXPECT_EQ(ten.online, 2);
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "").rows.size(), 3u);
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "CPE-3").rows.size(), 1u);  // without case
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "261").rows.size(), 1u);    // model code 261
    Page none = Get(CSqlManagement::kSortMac, true, 30, 1, "zzz");
    EXPECT_TRUE(none.ok);
    EXPECT_EQ(none.pages, 0);
    EXPECT_TRUE(none.rows.empty());
}

TEST_F(DevicePageTest, QuotesAndWildcardsAreSearchedLiterally) {
    ap_info_stu quoted = test::MakeDevice(1);
    quoted.ap_name.assign("O'Brien 50%_off");
    ap_info_stu plain = test::MakeDevice(2);
    plain.ap_name.assign("O Brien 50 off");
    ASSERT_TRUE(store.SaveDevice(quoted));
    ASSERT_TRUE(store.SaveDevice(plain));

    for (const char* text : {"'", "O'B", "%", "50%", "_", "%_", "\\"}) {
        Page page = Get(CSqlManagement::kSortMac, true, 30, 1, text);
        ASSERT_TRUE(page.ok) << text;
        const std::size_t expected = std::string_view(text) == "\\" ? 0u : 1u;
        EXPECT_EQ(page.rows.size(), expected) << text;
    }
    Page hostile = Get(CSqlManagement::kSortMac, true, 30, 1, "x' or '1'='1");
    EXPECT_TRUE(hostile.ok);
    EXPECT_TRUE(hostile.rows.empty());
}

// The search reads a per-device copy of the searched columns: every change must reach it.
TEST_F(DevicePageTest, SearchFollowsEveryChangeOfARow) {
    ASSERT_TRUE(store.SaveDevice(test::MakeDevice(1)));
    ASSERT_TRUE(store.SaveDevice(test::MakeDevice(2)));
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "172.31.9.9").rows.size(), 0u);
    ASSERT_TRUE(store.UpdateHeartbeat("172.31.9.9", test::MacText(1), 5));
    EXPECT_EQ(Macs(Get(CSqlManagement::kSortMac, true, 30, 1, "172.31.9.9").rows),
              std::vector<std::string>{test::MacText(1)});

    ap_info_stu renamed = test::MakeDevice(2);
    renamed.ap_name.assign("Tower East");
    ASSERT_TRUE(store.SaveDevice(renamed));
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "tower").rows.size(), 1u);
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "cpe-2").rows.size(), 0u);

    ASSERT_TRUE(store.SetDeviceStatus(test::MacText(2), 0));
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "tower").online, 0);
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "cpe").online, 1);

    ASSERT_TRUE(store.DeleteDevice(test::MacText(2)));
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "tower").pages, 0);
    ASSERT_TRUE(store.ExecuteSql("delete from ap_info"));
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "cpe").pages, 0);
}

// A text never matches across two columns, not even one holding a control character.
TEST_F(DevicePageTest, SearchNeverSpansTwoColumns) {
    ap_info_stu r = test::MakeDevice(1);
    r.ap_name.assign("abc");
    r.ip = {9, 9, 9, 9};
    ASSERT_TRUE(store.SaveDevice(r));
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "abc").rows.size(), 1u);
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "abc9").rows.size(), 0u);
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1,
                  "abc\x1f"
                  "9.9")
                  .rows.size(),
              0u);
    EXPECT_EQ(Get(CSqlManagement::kSortMac, true, 30, 1, "c\x1f").rows.size(), 0u);
}

// Pages must agree with reading every row, filtering, sorting and cutting by hand.
TEST_F(DevicePageTest, EveryPageAgreesWithAPlainReading) {
    std::vector<ap_info_stu> all;
    for (int i = 1; i <= 97; ++i) {
        ap_info_stu r = test::MakeDevice(i * 37 % 101);
        r.ap_name.assign((i % 4 == 0 ? "Site-" : "site-") + std::to_string(i % 13));
        r.up_time.set(static_cast<std::uint32_t>(i % 9) * 1000u);
        all.push_back(r);
        ASSERT_TRUE(store.SaveDevice(r));
    }
    ASSERT_TRUE(store.SetDeviceStatus(all[10].mac, 0));
    all[10].ap_status.set(0);
    for (std::size_t i = 0; i < all.size(); ++i)
        if (i != 10)
            all[i].ap_status.set(1);

    struct Sort {
        int code;
        std::function<std::string(const ap_info_stu&)> textKey;
        std::function<double(const ap_info_stu&)> numberKey;
    };
    const Sort sorts[] = {
        {CSqlManagement::kSortIpNum, nullptr,
         [](const ap_info_stu& r) { return r.ip[0] + r.ip[1] * 256.0 + r.ip[2] * 65536.0 + r.ip[3] * 16777216.0; }},
        {CSqlManagement::kSortApName, [](const ap_info_stu& r) { return Lower(r.ap_name.text()); }, nullptr},
        {CSqlManagement::kSortUpTime, nullptr, [](const ap_info_stu& r) { return double(r.up_time.get()); }},
        {CSqlManagement::kSortChannel, nullptr, [](const ap_info_stu& r) { return double(r.channel); }},
    };
    for (const Sort& sort : sorts) {
        for (bool ascending : {true, false}) {
            for (std::string search : {"", "site-1", "3"}) {
                std::vector<std::size_t> expected;
                for (std::size_t i = 0; i < all.size(); ++i) {
                    const ap_info_stu& r = all[i];
                    const std::string fields[] = {std::string(r.ap_name.text()),
                                                  FormatIp(r.ip),
                                                  r.mac,
                                                  std::string(r.ssid.text()),
                                                  std::string(r.version.text()),
                                                  std::to_string(r.work_mode),
                                                  std::to_string(r.channel),
                                                  std::to_string(r.ap_type.get())};
                    if (search.empty() || std::any_of(std::begin(fields), std::end(fields), [&](const std::string& f) {
                            return Lower(f).find(search) != std::string::npos;
                        }))
                        expected.push_back(i);
                }
                // Ties follow the order the rows were stored in, in the same direction.
                std::sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
                    int c = 0;
                    if (sort.textKey)
                        c = sort.textKey(all[a]).compare(sort.textKey(all[b]));
                    else
                        c = sort.numberKey(all[a]) < sort.numberKey(all[b])
                                ? -1
                                : sort.numberKey(all[a]) > sort.numberKey(all[b]);
                    if (c == 0)
                        c = a < b ? -1 : 1;
                    return ascending ? c < 0 : c > 0;
                });
                const int size = 10;
                const int pageCount = static_cast<int>((expected.size() + size - 1) / size);
                const int online = static_cast<int>(std::count_if(
                    expected.begin(), expected.end(), [&](std::size_t i) { return all[i].ap_status.get() != 0; }));
                for (int number = 1; number <= pageCount; ++number) {
                    Page page = Get(sort.code, ascending, size, number, search);
                    ASSERT_TRUE(page.ok);
                    EXPECT_EQ(page.pages, pageCount);
                    EXPECT_EQ(page.online, online);
                    std::vector<std::string> want;
                    for (std::size_t k = (number - 1) * size; k < std::min(expected.size(), std::size_t(number) * size);
                         ++k)
                        want.emplace_back(all[expected[k]].mac);
                    EXPECT_EQ(Macs(page.rows), want) << "sort " << sort.code << (ascending ? " asc" : " desc")
                                                     << " search '" << search << "' page " << number;
                }
            }
        }
    }
}

}  // namespace
}  // namespace cpe
