// The page host and the menu panel: which page each button shows, when the shown page is
// refreshed, and where pager choices go.
#include "tests/app/shell_fixture.h"

#include "app/application_dlg.h"
#include "app/menu_dlg.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_multi_pages.h"

#include <QCoreApplication>

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

class PageHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<CApplicationDlg>(services_.Services(),
                                                    CApplicationDlg::Options{CountingPages(), false, {}});
        host_ = window_->m_pChildDlg;
        menu_ = window_->m_pMenuDlg;
        window_->show();
        // Let the start-up refresh of the status page happen before each test looks.
        ASSERT_TRUE(WaitFor([&] { return !host_->PageShownPending(); }, 2s));
    }

    int VisibleSlot() const {
        int shown = -1;
        for (int slot = 0; slot < static_cast<int>(kPageSlots.size()); ++slot) {
            if (host_->PageAt(slot)->isVisibleTo(host_)) {
                EXPECT_EQ(shown, -1) << "two pages shown at once";
                shown = slot;
            }
        }
        return shown;
    }

    void Click(int buttonId) { QTest::mouseClick(menu_->Button(buttonId), Qt::LeftButton); }

    int Refreshes(int id) const { return Counting(*host_, id)->refreshes; }

    LoopbackServices services_;
    std::unique_ptr<CApplicationDlg> window_;
    CChildDlg* host_ = nullptr;
    CMenuDlg* menu_ = nullptr;
};

TEST_F(PageHostTest, StartsOnTheStatusPageWithEveryPageBuiltAtItsCorner) {
    EXPECT_EQ(host_->m_nCurPageId, 133);
    EXPECT_TRUE(host_->m_bAutoRefresh);
    EXPECT_EQ(VisibleSlot(), 0);
    EXPECT_EQ(menu_->SelectedButton(), 1004);
    for (const PageSlot& s : kPageSlots) {
        CTDialog* page = host_->PageAt(s.slot);
        ASSERT_NE(page, nullptr) << s.dialogId;
        EXPECT_EQ(page->parentWidget(), host_);
        EXPECT_EQ(page->pos(), QPoint(0, 0));
        EXPECT_EQ(host_->PageById(s.dialogId), page);
    }
    EXPECT_NE(dynamic_cast<CInstallHelpDlg*>(host_->PageById(139)), nullptr);
    // The first refresh came from the page-shown timer, once.
    EXPECT_EQ(Refreshes(133), 1);
    EXPECT_TRUE(host_->AutoRefreshRunning());
}

TEST_F(PageHostTest, EachMenuButtonShowsItsSlotAndRecordsItsPageId) {
    const struct {
        int button, slot, page;
    } expected[] = {{1006, 5, 137}, {1005, 4, 138}, {1007, 1, 134}, {1003, 2, 135}, {1009, 3, 136},
                    {1001, 7, 155}, {1008, 6, 139}, {1010, 8, 158}, {1004, 0, 133}};
    for (const auto& e : expected) {
        Click(e.button);
        EXPECT_EQ(VisibleSlot(), e.slot) << e.button;
        EXPECT_EQ(host_->m_nCurPageId, e.page) << e.button;
        EXPECT_EQ(host_->CurrentPageId(), e.page);
        EXPECT_EQ(menu_->SelectedButton(), e.button);
        EXPECT_TRUE(host_->PageShownPending());
    }
}

TEST_F(PageHostTest, AShownListPageIsRefreshedOnceAfterTheDelayAndOtherPagesAreNot) {
    Click(1006);  // upgrade, 137
    EXPECT_EQ(Refreshes(137), 0) << "refreshed before the delay";
    ASSERT_TRUE(WaitFor([&] { return Refreshes(137) == 1; }, 1s));
    QTest::qWait(250);
    EXPECT_EQ(Refreshes(137), 1);
    EXPECT_FALSE(host_->PageShownPending());
    for (int id : {133, 134, 135, 136, 138, 155})
        EXPECT_EQ(Refreshes(id), id == 133 ? 1 : 0) << id;

    // Pages without a list are shown but never asked to refresh.
    Click(1001);
    ASSERT_TRUE(WaitFor([&] { return !host_->PageShownPending(); }, 1s));
    EXPECT_EQ(Refreshes(155), 0);
}

TEST_F(PageHostTest, AutoRefreshSkipsRebootUpgradeRestoreAndRunningSearches) {
    const struct {
        int button, page;
        bool periodic;
    } pages[] = {{1004, 133, true},  {1007, 134, true},  {1003, 135, true}, {1010, 158, true},
                 {1009, 136, false}, {1006, 137, false}, {1005, 138, false}};
    for (const auto& p : pages) {
        Click(p.button);
        ASSERT_TRUE(WaitFor([&] { return !host_->PageShownPending(); }, 1s));
        const int before = Refreshes(p.page);
        host_->OnTimer(CChildDlg::TIMER_AUTO_REFRESH);
        EXPECT_EQ(Refreshes(p.page) - before, p.periodic ? 1 : 0) << p.page;

        host_->SetAutoRefresh(false);  // what a page does while its search runs
        host_->OnTimer(CChildDlg::TIMER_AUTO_REFRESH);
        EXPECT_EQ(Refreshes(p.page) - before, p.periodic ? 1 : 0) << p.page << " refreshed during a search";
        host_->SetAutoRefresh(true);
    }
    // Only the current page is refreshed.
    for (int id : {134, 135})
        EXPECT_EQ(Refreshes(id), 2) << id;
}

TEST_F(PageHostTest, SwitchingPagesDuringASearchStillRefreshesTheShownPageOnce) {
    host_->SetAutoRefresh(false);
    Click(1007);
    Click(1004);
    ASSERT_TRUE(WaitFor([&] { return Refreshes(133) == 2; }, 1s));
    EXPECT_EQ(Refreshes(134), 0) << "a page left before the delay was refreshed";
}

TEST_F(PageHostTest, PagerChoicesReachTheListPageThatOwnsThePager) {
    for (int id : {133, 134, 135, 136, 137, 138, 158}) {
        PagerSelectEvent e(id, id - 130);
        QCoreApplication::sendEvent(host_->PagerTarget(), &e);
        EXPECT_EQ(Counting(*host_, id)->pagerPages, std::vector<int>{id - 130}) << id;
    }
    for (int id : {155, 139, 0}) {
        PagerSelectEvent e(id, 2);
        QCoreApplication::sendEvent(host_->PagerTarget(), &e);
    }
    EXPECT_TRUE(Counting(*host_, 155)->pagerPages.empty());
}

TEST_F(PageHostTest, AClickOnARealPagerStripIsRoutedThroughTheHost) {
    Click(1003);  // bridge, 135
    auto* page = Counting(*host_, 135);
    auto* pager = DlgItem<CTMultiPages>(page, 1016);
    ASSERT_NE(pager, nullptr);
    pager->ResetPager(page->Link().PagerTarget(), 135);
    pager->m_nTotalPage = 4;
    pager->m_nCurPage = 1;
    pager->UpdateLayout();
    int slotOfPage3 = -1;
    for (int i = 0; i < pager->SlotCount(); ++i)
        if (pager->Slots()[static_cast<std::size_t>(i)] == 3)
            slotOfPage3 = i;
    ASSERT_GE(slotOfPage3, 0);
    QTest::mouseClick(pager, Qt::LeftButton, {}, pager->SlotRect(slotOfPage3).center());
    EXPECT_EQ(page->pagerPages, std::vector<int>{3});
}

TEST_F(PageHostTest, PagesEnableAndDisableTheMenuButtonsThroughTheHost) {
    PageHostLink& link = Counting(*host_, 133)->Link();
    link.EnableMenuButtons(false);
    for (int id : CMenuDlg::kButtonIds)
        EXPECT_FALSE(menu_->Button(id)->isEnabled()) << id;
    Click(1006);
    EXPECT_EQ(host_->m_nCurPageId, 133) << "a disabled button switched pages";
    link.EnableMenuButtons(true);
    for (int id : CMenuDlg::kButtonIds)
        EXPECT_TRUE(menu_->Button(id)->isEnabled()) << id;
}

}  // namespace
}  // namespace cpe::test
