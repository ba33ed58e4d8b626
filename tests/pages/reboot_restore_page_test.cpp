// The reboot and restore pages through real widgets: select-all, the refusals before anything is
// sent, the command on the wire, the status column during the wait popup, and what happens when
// the popup closes.
#include "pages/reboot_restore_dlg.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/skin_settings.h"

#include <QLabel>

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

// A popup that stays until it is closed, a fast follow-up and refresh.
constexpr CRebootRestoreDlg::Timings kTestTimings{60, 500ms, 20ms, 50ms};

class RebootRestorePage : public PageTest {
protected:
    RebootRestorePage() {
        SetMessageBoxHook([this](const MessageBoxRequest& r) {
            boxes.push_back(r);
            return answer;
        });
    }

    template <class Page>
    std::unique_ptr<Page> ListedPage(int devices) {
        AddDevices(1, devices);
        auto page = MakePage<Page>();
        page->SetTimings(kTestTimings);
        page->RefreshList();
        return page;
    }

    static void Check(CRebootRestoreDlg& page, std::initializer_list<int> rows) {
        for (int row : rows)
            ClickCell(*page.Grid(), row, 0);
    }

    static void PressAction(CRebootRestoreDlg& page) { QTest::mouseClick(page.ActionButton(), Qt::LeftButton); }

    std::vector<SentDatagram> WaitForSent(MessageType type, std::size_t count) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Sent(type).size() >= count; }, 2000));
        return Sent(type);
    }

    std::vector<MessageBoxRequest> boxes;
    int answer = IDOK;
};

TEST_F(RebootRestorePage, SelectAllTogglesEveryRowAndARefreshClearsEveryMark) {
    auto page = ListedPage<CRebootDlg>(4);
    CGridCtrl& grid = *page->Grid();
    const auto checkedRows = [&] {
        int n = 0;
        for (int row = 0; row < grid.GetRowCount(); ++row)
            n += grid.GetCheckCell(row)->GetCheck() ? 1 : 0;
        return n;
    };
    Check(*page, {2});
    ClickCell(grid, 0, 0);
    EXPECT_EQ(checkedRows(), 5) << "the header and the four rows";
    ClickCell(grid, 0, 0);
    EXPECT_EQ(checkedRows(), 0);

    ClickCell(grid, 0, 0);
    page->RefreshList();
    EXPECT_EQ(checkedRows(), 0) << "the rows are rebuilt unchecked, the select-all box with them";
    ClickCell(grid, 0, 0);
    EXPECT_EQ(checkedRows(), 5) << "so the next click on it checks every row";
}

TEST_F(RebootRestorePage, NothingIsSentWithoutACheckedRowOrWithoutConfirmation) {
    auto reboot = ListedPage<CRebootDlg>(3);
    PressAction(*reboot);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Please select the devices!");
    EXPECT_EQ(boxes[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(boxes[0].buttons, MessageButtons::kOk);

    answer = IDCANCEL;
    Check(*reboot, {1});
    PressAction(*reboot);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Are you sure you want to restart?");
    EXPECT_EQ(boxes[1].icon, MessageIcon::kQuestion);
    EXPECT_EQ(boxes[1].buttons, MessageButtons::kOkCancel);

    auto restore = MakePage<CRestoreDlg>();
    restore->RefreshList();
    Check(*restore, {1, 2});
    PressAction(*restore);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, "Are you sure you want to reset?");

    QTest::qWait(300);  // longer than the pause before the devices without stations
    EXPECT_TRUE(sent_.Take().empty());
    EXPECT_EQ(reboot->WaitPopup(), nullptr);
    EXPECT_EQ(restore->WaitPopup(), nullptr);
    EXPECT_FALSE(reboot->FollowingUp());
}

TEST_F(RebootRestorePage, SendsTheCommandToTheCheckedRowsOnlyAndWaitsUnderTheModalPopup) {
    auto page = ListedPage<CRestoreDlg>(5);  // rows by IP descending: devices 5, 4, 3, 2, 1
    Check(*page, {1, 4});
    PressAction(*page);
    ASSERT_EQ(boxes.size(), 1u);
    CWaitDlg* popup = page->WaitPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->isModal());
    EXPECT_EQ(popup->StepCount(), 120) << "60 seconds, two steps each";
    EXPECT_TRUE(page->FollowingUp());

    const auto sent = WaitForSent(MessageType::restore, 2);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].ip, "10.1.0.5");
    EXPECT_EQ(sent[1].ip, "10.1.0.2");
    EXPECT_TRUE(Sent(MessageType::reboot).empty());
    const auto& selection = page->Action().Selection();
    ASSERT_EQ(selection.size(), 2u);
    EXPECT_EQ(selection[0].mac, DeviceMac(5));
    EXPECT_EQ(selection[0].model, 1);

    // The action button cannot start a second action while the popup is up.
    page->OnActionButton();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(page->WaitPopup(), popup);
}

TEST_F(RebootRestorePage, StatusColumnFollowsTheStoreInTheFirstRowOfEachMac) {
    SkinSettings skin;
    skin.textOnlineColor = Rgb(1, 2, 3);
    skin.gridTextColor = Rgb(9, 9, 9);
    InstallSkin(&skin);
    auto page = ListedPage<CRebootDlg>(3);  // devices 3, 2, 1
    CGridCtrl& grid = *page->Grid();
    const int status = page->Traits().ColumnOf(ListColumn::kStatus);
    const int mac = page->Traits().ColumnOf(ListColumn::kMac);
    // Row 3 is made to show device 2 again: only its first row, row 2, follows the device.
    grid.SetItemText(3, mac, grid.GetItemText(2, mac));
    Check(*page, {3});
    PressAction(*page);
    ASSERT_NE(page->WaitPopup(), nullptr);

    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(2), 4));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.GetItemText(2, status) == "Restarting"; }, 2000));
    EXPECT_EQ(grid.GetCell(2, status)->GetTextClr(), Rgb(1, 2, 3));
    EXPECT_EQ(grid.GetItemText(3, status), "Online");
    EXPECT_EQ(grid.GetItemText(1, status), "Online");

    // Every status the device reports is shown in the online colour, "Outline" included.
    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(2), 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.GetItemText(2, status) == "Outline"; }, 2000));
    EXPECT_EQ(grid.GetCell(2, status)->GetTextClr(), Rgb(1, 2, 3));

    page.reset();
    InstallSkin(nullptr);
}

TEST_F(RebootRestorePage, ClosingThePopupEndsTheFollowUpThenSearchesAndRefreshes) {
    auto page = ListedPage<CRebootDlg>(2);
    Check(*page, {1});
    PressAction(*page);
    CWaitDlg* popup = page->WaitPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(WaitForSent(MessageType::reboot, 1).size(), 1u);
    const std::size_t broadcasts = Broadcasts();
    // The popup names the device and the job; closed early it says the reboot went out.
    EXPECT_TRUE(popup->Line()->text().startsWith("Rebooting 10.1.0.2; about ")) << popup->Line()->text().toStdString();
    const std::size_t told = boxes.size();

    QTest::mouseClick(popup->CloseButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), told + 1);
    EXPECT_EQ(boxes.back().text, "The reboot was sent to 10.1.0.2, which may still be restarting.");
    EXPECT_EQ(page->WaitPopup(), nullptr);
    EXPECT_FALSE(page->FollowingUp());
    EXPECT_EQ(Broadcasts(), broadcasts + 1) << "the discovery broadcast goes out at once";
    EXPECT_TRUE(page->RefreshPending());

    // The follow-up no longer writes; the one-shot refresh shows what the store holds.
    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(2), 4));
    const int status = page->Traits().ColumnOf(ListColumn::kStatus);
    EXPECT_EQ(page->Grid()->GetItemText(1, status), "Online");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->RefreshPending(); }, 2000));
    EXPECT_EQ(page->Grid()->GetItemText(1, status), "Restarting");
    EXPECT_FALSE(page->Grid()->GetCheckCell(1)->GetCheck()) << "the refresh rebuilt the rows";
    QTest::qWait(100);
    EXPECT_EQ(Broadcasts(), broadcasts + 1);
}

TEST_F(RebootRestorePage, LeavingThePageDuringTheWaitStopsTheSender) {
    auto page = ListedPage<CRebootDlg>(2);
    Check(*page, {1, 2});
    PressAction(*page);
    ASSERT_NE(page->WaitPopup(), nullptr);
    // Neither device carries stations: the sender is still in its pause.
    page.reset();
    QTest::qWait(300);
    EXPECT_TRUE(Sent(MessageType::reboot).empty());
}

}  // namespace
}  // namespace cpe::test
