// List mechanics through real widgets: header sorting, search, page size, the online count, the
// pager, row numbering, check boxes and status texts.
#include "lang/language.h"
#include "pages/code_texts.h"
#include "pages/list_page_traits.h"
#include "pages/reboot_restore_dlg.h"
#include "pages/status_dlg.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_edit.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/image_list.h"
#include "ui/skin_settings.h"

#include <QComboBox>
#include <QScrollBar>

namespace cpe::test {
namespace {

// The management page's list: its own behaviour lives in config/; the list mechanics are these.
class ManagementList : public CListPageDlg {
public:
    ManagementList(QWidget* parent, PageHostLink& host, PageServices services)
        : CListPageDlg(*FindListPageTraits(ids::kManagementDlg), parent, host, services) {}
};

using Sorting = PageTest;

TEST_F(Sorting, StartsByIpDescendingAndEveryHeaderClickReversesTheOrder) {
    // IP order and MAC order disagree: device n gets IP 10.1.0.n and a MAC falling with n.
    for (int n = 1; n <= 5; ++n) {
        ap_info_stu r = MakeDevice(n);
        const std::string mac = DeviceMac(100 - n);
        std::memcpy(r.mac, mac.c_str(), mac.size() + 1);
        ASSERT_TRUE(store_->SaveDevice(r));
    }
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    EXPECT_EQ(Column(*page, ListColumn::kIp),
              QStringList({"10.1.0.5", "10.1.0.4", "10.1.0.3", "10.1.0.2", "10.1.0.1"}));
    CGridCtrl& grid = *page->Grid();
    EXPECT_EQ(grid.GetSortColumn(), 3);
    EXPECT_FALSE(grid.GetSortAscending());

    ClickCell(grid, 0, page->Traits().ColumnOf(ListColumn::kMac));
    EXPECT_EQ(Column(*page, ListColumn::kMac).front(), QString::fromStdString(DeviceMac(95)));
    EXPECT_EQ(Column(*page, ListColumn::kIp).front(), "10.1.0.5");
    EXPECT_EQ(grid.GetSortColumn(), 4);
    EXPECT_TRUE(grid.GetSortAscending());

    // A click on another header keeps reversing: IP is now descending again.
    ClickCell(grid, 0, page->Traits().ColumnOf(ListColumn::kIp));
    EXPECT_EQ(Column(*page, ListColumn::kIp).front(), "10.1.0.5");
    ClickCell(grid, 0, page->Traits().ColumnOf(ListColumn::kIp));
    EXPECT_EQ(Column(*page, ListColumn::kIp).front(), "10.1.0.1");
    EXPECT_TRUE(grid.GetSortAscending());

    // "Operate" neither sorts nor flips the direction flag.
    const bool flag = page->DirectionFlag();
    ClickCell(grid, 0, page->Traits().ColumnOf(ListColumn::kOperate));
    EXPECT_EQ(page->DirectionFlag(), flag);
    EXPECT_EQ(grid.GetSortColumn(), 3);
    EXPECT_EQ(Column(*page, ListColumn::kIp).front(), "10.1.0.1");
}

TEST_F(Sorting, HeaderClickShowsPageOne) {
    AddDevices(1, 40);
    auto page = MakePage<CStatusDlg>();
    page->OnPagerSelect(2);
    ASSERT_EQ(page->CurrentPage(), 2);
    ClickCell(*page->Grid(), 0, page->Traits().ColumnOf(ListColumn::kLocation));
    EXPECT_EQ(page->CurrentPage(), 1);
    EXPECT_EQ(page->Pager()->m_nCurPage, 1);
    EXPECT_EQ(Cell(*page, 1, ListColumn::kSerial), "1");
}

TEST_F(Sorting, EachPageSortsThroughItsOwnTable) {
    // Power (tx_power) exists only in table M; ap_status only in table B.
    for (int n = 1; n <= 3; ++n) {
        ap_info_stu r = MakeDevice(n, 4 - n);
        r.tx_power = static_cast<std::uint8_t>(30 - n);
        ASSERT_TRUE(store_->SaveDevice(r));
        ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(n), 4 - n));
    }
    auto restore = MakePage<CRestoreDlg>();
    ClickCell(*restore->Grid(), 0, restore->Traits().ColumnOf(ListColumn::kPower));
    EXPECT_EQ(Column(*restore, ListColumn::kPower), QStringList({"27", "28", "29"}));

    // The bridge page's list (its own actions are bridge/'s).
    auto bridge = std::make_unique<CListPageDlg>(*FindListPageTraits(ids::kBridgeDlg), nullptr, host_, Services());
    bridge->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bridge.get()));
    ClickCell(*bridge->Grid(), 0, bridge->Traits().ColumnOf(ListColumn::kStatus));
    EXPECT_EQ(Column(*bridge, ListColumn::kIp), QStringList({"10.1.0.3", "10.1.0.2", "10.1.0.1"}));
    // The bridge page's "Serial" header does nothing.
    ClickCell(*bridge->Grid(), 0, 0);
    EXPECT_EQ(bridge->Grid()->GetSortColumn(), bridge->Traits().ColumnOf(ListColumn::kStatus));

    // The upgrade page's list (its own action is upgrade/'s): its "Status" header sorts by status too.
    auto upgrade = std::make_unique<CListPageDlg>(*FindListPageTraits(ids::kUpgradeDlg), nullptr, host_, Services());
    upgrade->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(upgrade.get()));
    ClickCell(*upgrade->Grid(), 0, upgrade->Traits().ColumnOf(ListColumn::kStatus));
    EXPECT_EQ(Column(*upgrade, ListColumn::kIp), QStringList({"10.1.0.3", "10.1.0.2", "10.1.0.1"}));

    // The reboot and restore pages' "Status" headers do not sort; the "Serial" header sorts by IP.
    ClickCell(*restore->Grid(), 0, restore->Traits().ColumnOf(ListColumn::kStatus));
    EXPECT_EQ(Column(*restore, ListColumn::kPower), QStringList({"27", "28", "29"}));
    EXPECT_EQ(restore->Grid()->GetSortColumn(), restore->Traits().ColumnOf(ListColumn::kPower));
    auto reboot = MakePage<CRebootDlg>();
    reboot->RefreshList();
    ClickCell(*reboot->Grid(), 0, reboot->Traits().ColumnOf(ListColumn::kStatus));
    EXPECT_TRUE(reboot->DirectionFlag());
    ClickCell(*reboot->Grid(), 0, reboot->Traits().ColumnOf(ListColumn::kSerial));
    EXPECT_EQ(Column(*reboot, ListColumn::kIp), QStringList({"10.1.0.1", "10.1.0.2", "10.1.0.3"}));
}

using SearchAndPaging = PageTest;

TEST_F(SearchAndPaging, SearchShowsPageOneAndCountsOnlineDevicesOfTheWholeResult) {
    AddDevices(1, 40);                 // online
    AddDevices(200, 10, 0);            // offline
    for (int n = 300; n < 345; ++n) {  // online, another network
        ap_info_stu r = MakeDevice(n);
        r.ssid.assign("yard");
        ASSERT_TRUE(store_->SaveDevice(r));
    }
    auto page = MakePage<ManagementList>();
    page->RefreshList();
    EXPECT_EQ(page->OnlineCount(), 85);
    page->OnPagerSelect(3);
    ASSERT_EQ(page->CurrentPage(), 3);

    QTest::keyClicks(page->SearchEdit(), "yard");
    EXPECT_EQ(page->SearchText(), "yard");
    EXPECT_EQ(page->CurrentPage(), 1);
    EXPECT_EQ(page->PageCount(), 2);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1 + 30);
    EXPECT_EQ(page->OnlineCount(), 45);
    EXPECT_EQ(page->OnlineLabel()->text(), "Online device count:45");
    EXPECT_EQ(Cell(*page, 1, ListColumn::kSsid), "yard");

    page->PageSizeList()->setCurrentIndex(page->PageSizeList()->findText("50"));
    EXPECT_EQ(page->PageSize(), 50);
    EXPECT_EQ(page->CurrentPage(), 1);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1 + 45);
    EXPECT_EQ(page->PageCount(), 1);
}

// Ctrl+F puts the cursor in the search box, its text selected for the next search to replace.
TEST_F(SearchAndPaging, CtrlFPutsTheCursorInTheSearchBox) {
    auto page = MakePage<ManagementList>();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    QTest::keyClicks(page->SearchEdit(), "yard");
    page->Grid()->setFocus();
    ASSERT_TRUE(page->Grid()->hasFocus());
    QTest::keyClick(page->Grid(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(page->SearchEdit()->hasFocus());
    EXPECT_EQ(page->SearchEdit()->selectedText(), "yard");
}

TEST_F(SearchAndPaging, PageSizesOfferedWithThirtyChosen) {
    auto page = MakePage<CRestoreDlg>();
    QStringList items;
    for (int i = 0; i < page->PageSizeList()->count(); ++i)
        items << page->PageSizeList()->itemText(i);
    EXPECT_EQ(items, QStringList({"15", "30", "50", "100"}));
    EXPECT_EQ(page->PageSize(), 30);
}

TEST_F(SearchAndPaging, PagerClickReachesThePageThroughTheHost) {
    AddDevices(1, 70);
    auto page = MakePage<CRebootDlg>();
    page->RefreshList();
    CTMultiPages& pager = *page->Pager();
    ASSERT_EQ(pager.m_nTotalPage, 3);
    pager.UpdateLayout();
    int slot = -1;
    for (int s = 0; s < pager.SlotCount(); ++s)
        if (pager.Slots()[static_cast<std::size_t>(s)] == 3)
            slot = s;
    ASSERT_GE(slot, 0);
    QTest::mouseClick(&pager, Qt::LeftButton, {}, pager.SlotRect(slot).center());

    EXPECT_EQ(page->CurrentPage(), 3);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1 + 10);
    EXPECT_EQ(Cell(*page, 1, ListColumn::kSerial), "61");
    EXPECT_EQ(Cell(*page, 10, ListColumn::kSerial), "70");

    // The refresh button reloads the page shown.
    AddDevices(100, 3);
    QTest::mouseClick(page->RefreshButton(), Qt::LeftButton);
    EXPECT_EQ(page->CurrentPage(), 3);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1 + 13);
}

TEST_F(SearchAndPaging, PagerShowsItsSevenSlotsWholeBesideTheHint) {
    AddDevices(1, 150);
    auto page = MakePage<CRebootDlg>();
    page->PageSizeList()->setCurrentIndex(page->PageSizeList()->findText("15"));
    page->OnPagerSelect(5);
    CTMultiPages& pager = *page->Pager();
    pager.UpdateLayout();
    ASSERT_EQ(pager.SlotCount(), 7);
    for (int slot = 0; slot < pager.SlotCount(); ++slot)
        EXPECT_TRUE(pager.rect().contains(pager.SlotRect(slot))) << "slot " << slot << " is cut off";
    EXPECT_LT(DlgItemWidget(page.get(), 1130)->geometry().right(), pager.geometry().left());
}

TEST_F(SearchAndPaging, LastPageOfThirtyOneHoldsRowThirtyOneToppedUpWithDiscoveredDevices) {
    AddDevices(1, 31);
    for (int n = 1; n <= 3; ++n)
        AddDiscovered(n);
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    EXPECT_EQ(page->ToppedUpRowCount(), 0) << "page 1 is not the last page";

    page->OnPagerSelect(2);
    ASSERT_EQ(page->StoreRowCount(), 1);
    ASSERT_EQ(page->ToppedUpRowCount(), 3);
    CGridCtrl& grid = *page->Grid();
    EXPECT_EQ(Cell(*page, 1, ListColumn::kSerial), "31");
    EXPECT_EQ(Column(*page, ListColumn::kSerial), QStringList({"31", "32", "33", "34"}));
    EXPECT_EQ(grid.GetCell(1, 0)->GetImage(), 1);
    EXPECT_EQ(grid.GetCell(1, 10)->GetImage(), 0);
    EXPECT_EQ(grid.GetCell(1, 3)->GetTextClr(), Skin().gridTextColor);
    for (int row = 2; row <= 4; ++row) {
        EXPECT_TRUE(page->IsToppedUpRow(row));
        EXPECT_EQ(grid.GetCell(row, 0)->GetImage(), 10);
        EXPECT_EQ(grid.GetCell(row, 10)->GetImage(), -1);
        EXPECT_EQ(grid.GetCell(row, 3)->GetTextClr(), Skin().textUnlineColor);
        EXPECT_TRUE(Cell(*page, row, ListColumn::kLocation).startsWith("seen-"));
    }
    // The online count is the store's: discovered-only devices are not counted.
    EXPECT_EQ(page->OnlineCount(), 31);

    // Only the status page tops up.
    auto management = MakePage<ManagementList>();
    management->OnPagerSelect(2);
    EXPECT_EQ(management->Grid()->GetRowCount(), 2);
}

TEST_F(SearchAndPaging, SearchFiltersTheDiscoveredDevicesToo) {
    AddDevices(1, 2);
    AddDiscovered(7);
    AddDiscovered(8);
    auto page = MakePage<CStatusDlg>();
    QTest::keyClicks(page->SearchEdit(), "127.0.1.8");
    EXPECT_EQ(page->StoreRowCount(), 0);
    ASSERT_EQ(page->ToppedUpRowCount(), 1);
    EXPECT_EQ(Cell(*page, 1, ListColumn::kIp), "127.0.1.8");
    EXPECT_EQ(Cell(*page, 1, ListColumn::kSerial), "1");
}

TEST_F(SearchAndPaging, PageThatNoLongerExistsFallsBackToPageOne) {
    AddDevices(1, 35);
    auto page = MakePage<ManagementList>();
    page->OnPagerSelect(2);
    ASSERT_EQ(page->Grid()->GetRowCount(), 1 + 5);
    for (int n = 1; n <= 10; ++n)
        ASSERT_TRUE(store_->DeleteDevice(DeviceMac(n)));
    page->RefreshList();
    EXPECT_EQ(page->CurrentPage(), 1);
    EXPECT_EQ(page->Pager()->m_nCurPage, 1);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1 + 25);
}

TEST_F(SearchAndPaging, EmptyStoreShowsHeaderOnlyAndCountZero) {
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    EXPECT_EQ(page->Grid()->GetRowCount(), 1);
    EXPECT_EQ(page->PageCount(), 0);
    EXPECT_EQ(page->OnlineLabel()->text(), "Online device count:0");
}

using CheckBoxPages = PageTest;

TEST_F(CheckBoxPages, ShowTheirColumnsStatusTextsCheckBoxesAndActionButton) {
    AddDevices(1, 2);
    AddDevices(10, 1, 0);
    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(2), 4));
    auto page = MakePage<CRestoreDlg>();
    page->RefreshList();
    CGridCtrl& grid = *page->Grid();
    ASSERT_EQ(grid.GetColumnCount(), 12);
    EXPECT_EQ(grid.GetColumnWeight(4), 92);
    EXPECT_EQ(grid.GetItemText(0, 11), "Status");
    EXPECT_EQ(page->SortColumn(), 4);
    EXPECT_TRUE(page->ActionButton()->isVisible());
    EXPECT_EQ(page->ActionButton()->text(), "Restore");
    EXPECT_FALSE(DlgItemWidget(page.get(), 1003)->isVisible());

    // Rows by IP descending: 10.1.0.10 (offline), 10.1.0.2 (restarting), 10.1.0.1 (online).
    EXPECT_EQ(Column(*page, ListColumn::kStatus), QStringList({"Outline", "Restarting", "Online"}));
    EXPECT_EQ(grid.GetCell(1, 11)->GetTextClr(), Skin().gridTextColor);
    EXPECT_EQ(grid.GetCell(2, 11)->GetTextClr(), Skin().textOnlineColor);

    for (int row = 0; row < grid.GetRowCount(); ++row)
        ASSERT_NE(grid.GetCheckCell(row), nullptr);
    ClickCell(grid, 2, 0);
    EXPECT_TRUE(grid.GetCheckCell(2)->GetCheck());
    EXPECT_FALSE(grid.GetCheckCell(1)->GetCheck());
    ClickCell(grid, 0, 0);
    for (int row = 0; row < grid.GetRowCount(); ++row)
        EXPECT_TRUE(grid.GetCheckCell(row)->GetCheck());
    ClickCell(grid, 0, 0);
    for (int row = 0; row < grid.GetRowCount(); ++row)
        EXPECT_FALSE(grid.GetCheckCell(row)->GetCheck());
    EXPECT_TRUE(page->DirectionFlag()) << "the check-box header does not sort";
}

using ShippedSkin = PageTest;

TEST_F(ShippedSkin, StatusIconsComeFromTheSkinsStrip) {
    SkinSettings skin;
    LoadSkinSettings(skin, CPE_SOURCE_DIR "/resources/", "test");
    InitSkinPaths(skin, CPE_SOURCE_DIR "/resources/", 1033);
    InstallSkin(&skin);
    AddDevices(1, 2);
    AddDiscovered(4);
    auto page = MakePage<CStatusDlg>();
    page->RefreshList();
    const CImageList* icons = page->Grid()->GetImageList();
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(icons->ImageSize(), QSize(50, 16));
    EXPECT_EQ(icons->Count(), 11) << "image 0 for the action, then one per status code up to 10";
    EXPECT_EQ(page->Grid()->GetCell(3, 0)->GetImage(), 10);
    EXPECT_EQ(page->Grid()->GetCell(3, 3)->GetTextClr(), skin.textUnlineColor);
    QImage image(page->size(), QImage::Format_RGB32);
    page->render(&image);
    EXPECT_FALSE(image.isNull());
    page.reset();

    // The management page's "Operate" cells show the pencil of write.bmp.
    auto management = MakePage<ManagementList>();
    management->RefreshList();
    const CImageList* pencil = management->Grid()->GetImageList();
    ASSERT_NE(pencil, nullptr);
    EXPECT_EQ(pencil->Count(), 1);
    EXPECT_EQ(management->Grid()->GetCell(1, management->Traits().ColumnOf(ListColumn::kOperate))->GetImage(), 0);
    management.reset();
    InstallSkin(nullptr);
}

// Each list at the page's default size, in both languages, with every cell holding the longest
// text its column can show: the columns fill the grid, so the last one (the action column on
// the management and bridge pages) is on screen without scrolling, and a text that does not fit
// ends in an ellipsis within its cell.
TEST_F(PageTest, EveryListFitsItsGridAndCutsNoTextWithoutAnEllipsis) {
    const QString ellipsis(QChar(0x2026));
    for (const std::uint16_t lcid : {1033, 2052}) {
        ASSERT_TRUE(InitLanguage(CPE_SOURCE_DIR "/resources/", lcid));
        QStringList longest = {QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"), QStringLiteral("255.255.255.255"),
                               QStringLiteral("FF:FF:FF:FF:FF:FF"), QString::fromUtf8("屋顶接入点东南角第三号设备")};
        for (int code = 0; code <= 9; ++code)
            for (const std::string& text : {StatusText(code), WorkModeText(code), SecureModeText(code)})
                longest << QString::fromStdString(text);
        for (const int id : {ids::kStatusDlg, ids::kManagementDlg, ids::kBridgeDlg, ids::kRebootDlg, ids::kUpgradeDlg,
                             ids::kRestoreDlg}) {
            AddDevices(1, 3);
            CListPageDlg page(*FindListPageTraits(id), nullptr, host_, Services());
            page.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
            page.RefreshList();
            CGridCtrl& grid = *page.Grid();
            QApplication::processEvents();
            const int last = grid.GetColumnCount() - 1;
            EXPECT_FALSE(grid.horizontalScrollBar()->isVisible()) << id;
            EXPECT_LE(grid.CellRect(0, last).right(), grid.viewport()->width() - 1) << id << ": the last column is cut";
            for (int r = 1; r < grid.GetRowCount(); ++r)
                for (int c = 0; c < grid.GetColumnCount(); ++c)
                    if (!grid.GetItemText(r, c).isEmpty())
                        for (const QString& text : longest)
                            if (grid.GetCell(r, c)->GetText().size() < text.size())
                                grid.SetItemText(r, c, text);
            for (int r = 0; r < grid.GetRowCount(); ++r) {
                for (int c = 0; c < grid.GetColumnCount(); ++c) {
                    const CGridCellBase* cell = grid.GetCell(r, c);
                    const QRect room = cell->TextRoom(r, c, grid.CellRect(r, c));
                    const QString shown = cell->ShownText(room);
                    const std::string where = std::to_string(id) + " (" + std::to_string(r) + "," + std::to_string(c) +
                                              ") " + shown.toStdString();
                    EXPECT_TRUE(shown == cell->GetText() || shown.endsWith(ellipsis)) << where;
                    if (!shown.isEmpty()) {
                        EXPECT_LE(QFontMetrics(cell->GetFont()).horizontalAdvance(shown), room.width()) << where;
                    }
                }
            }
        }
    }
    InitLanguage(CPE_SOURCE_DIR "/resources/", 1033);
}

}  // namespace
}  // namespace cpe::test
