// Cell texts, the sort tables of the pages, and the byte cut of device names.
#include "pages/device_cells.h"
#include "pages/list_page_traits.h"
#include "platform/codepage.h"
#include "store/sql_management.h"

#include <gtest/gtest.h>

namespace cpe {
namespace {

TEST(UpTimeText, UnpaddedWithDaysFirstFromOneDayOn) {
    EXPECT_EQ(UpTimeText(0), "0:0:0");
    EXPECT_EQ(UpTimeText(3661), "1:1:1");
    EXPECT_EQ(UpTimeText(86399), "23:59:59");
    EXPECT_EQ(UpTimeText(86400), "1 0:0:0");
    EXPECT_EQ(UpTimeText(2 * 86400 + 5 * 3600 + 7), "2 5:0:7");
    EXPECT_EQ(UpTimeText(0xFFFFFFFFu), "49710 6:28:15");
}

TEST(SortTables, ColumnsMapToTheStoresSortCodes) {
    using S = CSqlManagement::SortCode;
    const ListPageTraits& status = *FindListPageTraits(133);
    EXPECT_EQ(status.SortCode(1), S::kSortApName);
    EXPECT_EQ(status.SortCode(3), S::kSortIpNum);
    EXPECT_EQ(status.SortCode(4), S::kSortMac);
    EXPECT_EQ(status.SortCode(9), S::kSortUpTime);
    EXPECT_EQ(status.SortCode(0), S::kSortIpNum) << "before the table";
    EXPECT_EQ(status.SortCode(10), S::kSortIpNum) << "after the table";
    EXPECT_FALSE(status.HeaderSorts(10));

    // Pages with check boxes count from one column further right.
    const ListPageTraits& reboot = *FindListPageTraits(136);
    EXPECT_EQ(reboot.SortCode(4), S::kSortIpNum);
    EXPECT_EQ(reboot.SortCode(5), S::kSortMac);
    EXPECT_EQ(reboot.SortCode(9), S::kSortSecureMode);
    EXPECT_EQ(reboot.SortCode(1), S::kSortIpNum);
    EXPECT_FALSE(reboot.HeaderSorts(0));
    EXPECT_FALSE(reboot.HeaderSorts(10));

    EXPECT_EQ(FindListPageTraits(134)->SortCode(9), S::kSortTxPower);
    EXPECT_EQ(FindListPageTraits(135)->SortCode(9), S::kSortApStatus);
    EXPECT_EQ(FindListPageTraits(138)->SortCode(10), S::kSortTxPower);
    EXPECT_FALSE(FindListPageTraits(138)->HeaderSorts(11)) << "restore: Status";
    const ListPageTraits& upgrade = *FindListPageTraits(137);
    EXPECT_EQ(upgrade.SortCode(8), S::kSortVersion);
    EXPECT_EQ(upgrade.SortCode(9), S::kSortApStatus);
    EXPECT_TRUE(upgrade.HeaderSorts(9)) << "only the reboot and restore pages' status columns do not sort";
    EXPECT_EQ(FindListPageTraits(155), nullptr);
}

TEST(SortTables, InitialSortColumnIsTheIpColumn) {
    for (int id : {133, 134, 135})
        EXPECT_EQ(FindListPageTraits(id)->ColumnOf(ListColumn::kIp), 3) << id;
    for (int id : {136, 137, 138})
        EXPECT_EQ(FindListPageTraits(id)->ColumnOf(ListColumn::kIp), 4) << id;
}

class AnsiCut : public ::testing::Test {
protected:
    AnsiCut() { platform::SetAnsiCodeset("UTF-8"); }
    ~AnsiCut() override { platform::SetAnsiCodeset(""); }
};

TEST_F(AnsiCut, NeverEndsInsideACharacter) {
    EXPECT_EQ(actions::AnsiPrefix(u"plain", 32), "plain");
    EXPECT_EQ(actions::AnsiPrefix(u"0123456789abcdefghijABCDEFGHIJ-tail", 32), "0123456789abcdefghijABCDEFGHIJ-t");
    // "é" takes two bytes: 'a' and fifteen of them fill 31 bytes, a sixteenth would make 33.
    const std::u16string accents = u"a" + std::u16string(20, u'\u00e9');
    std::string expected = "a";
    for (int i = 0; i < 15; ++i)
        expected += "\xc3\xa9";
    EXPECT_EQ(actions::AnsiPrefix(accents, 32), expected);
    EXPECT_TRUE(actions::AnsiPrefix(u"", 32).empty());
}

TEST_F(AnsiCut, KeepsSurrogatePairsWhole) {
    std::u16string name(15, u'x');
    name += u"\U0001F600\U0001F600";  // four bytes each
    EXPECT_EQ(actions::AnsiPrefix(name, 20), std::string(15, 'x') + "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace cpe
