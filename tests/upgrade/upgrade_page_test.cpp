// The upgrade page: its button wants ticked devices, hands them to the dialog with their models,
// shows the statuses the dialog reads in the list, and searches and reloads after the dialog.
#include <QComboBox>

#include "pages/code_texts.h"
#include "tests/upgrade/upgrade_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/page_text.h"
#include "upgrade/upgrade_messages.h"

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

int RowOf(const CListPageDlg& page, const std::string& mac) {
    for (int row = 1; row < page.Grid()->GetRowCount(); ++row)
        if (page.Grid()->GetItemText(row, page.Traits().ColumnOf(ListColumn::kMac)).toStdString() == mac)
            return row;
    return -1;
}

class UpgradePageTest : public UpgradeTest {
protected:
    std::unique_ptr<CUpgradeDlg> MakeUpgradePage() {
        auto page = MakePage<CUpgradeDlg>();
        page->SetUpgradeEnvironment(*helpers_, timings_);
        page->RefreshList();
        return page;
    }
    void Tick(CUpgradeDlg& page, int device) { ClickCell(*page.Grid(), RowOf(page, DeviceMac(device)), 0); }
    QString StatusCell(CUpgradeDlg& page, int device) {
        return Cell(page, RowOf(page, DeviceMac(device)), ListColumn::kStatus);
    }
};

TEST_F(UpgradePageTest, UpgradeWantsTickedDevicesAndGivesTheirAddressesAndModels) {
    AddDevice(1, 1);
    AddDevice(2, 260);
    AddDevice(3, 1);
    auto page = MakeUpgradePage();
    EXPECT_FALSE(page->UpgradeButton()->isHidden());
    QTest::mouseClick(page->UpgradeButton(), Qt::LeftButton);
    EXPECT_EQ(boxes_, std::vector<QString>{PageText(upgrade_message::kSelectDevices)});
    EXPECT_FALSE(page->RefreshPending()) << "no dialog, no search";

    Tick(*page, 3);
    Tick(*page, 2);
    std::vector<actions::UpgradeTarget> inRowOrder = {{"127.0.1.2", DeviceMac(2), 260}, {"127.0.1.3", DeviceMac(3), 1}};
    if (RowOf(*page, DeviceMac(3)) < RowOf(*page, DeviceMac(2)))
        std::swap(inRowOrder[0], inRowOrder[1]);
    EXPECT_EQ(page->CheckedTargets(), inRowOrder);
    Tick(*page, 2);
    EXPECT_EQ(page->CheckedTargets(), (std::vector<actions::UpgradeTarget>{{"127.0.1.3", DeviceMac(3), 1}}));
}

TEST_F(UpgradePageTest, TheDialogsStatusesShowInTheListWhichSearchesAndReloadsAfterwards) {
    AddDevice(1, 1);
    AddDevice(2, 4);
    AddDevice(3, 1);
    auto page = MakeUpgradePage();
    for (int device : {1, 2, 3})
        Tick(*page, device);
    const QString online = QString::fromStdString(StatusText(1));
    const QString success = QString::fromStdString(StatusText(8));
    ASSERT_EQ(StatusCell(*page, 1), online);

    QStringList models;
    WhenModalOpens<CUpgradeConfigDlg>([&](CUpgradeConfigDlg& dialog) {
        for (int i = 0; i < dialog.TypeList()->count(); ++i)
            models << dialog.TypeList()->itemText(i);
        dialog.TypeList()->setCurrentIndex(dialog.TypeList()->findText("Axel"));
        // Both devices of the chosen model finish at once; only the dialog tells the list.
        ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(1), 8));
        ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(3), 8));
        ChooseFirmware(dialog);
        QTest::mouseClick(dialog.UpgradeButton(), Qt::LeftButton);
        QTimer::singleShot(15000, &dialog, [&dialog] {
            ADD_FAILURE() << "the upgrade did not end";
            dialog.reject();
        });
    });
    const std::size_t searches = Broadcasts();
    QTest::mouseClick(page->UpgradeButton(), Qt::LeftButton);  // returns when the dialog closed

    EXPECT_EQ(models, QStringList({"Axel", "Dorn"}));
    std::vector<std::string> upgraded = UpgradedIps();
    std::sort(upgraded.begin(), upgraded.end());
    EXPECT_EQ(upgraded, (std::vector<std::string>{"127.0.1.1", "127.0.1.3"}));
    EXPECT_EQ(StatusCell(*page, 1), success);
    EXPECT_EQ(StatusCell(*page, 3), success);
    EXPECT_EQ(StatusCell(*page, 2), online);
    EXPECT_EQ(Broadcasts(), searches + 1);

    // A second later the list shows the store again.
    ASSERT_TRUE(page->RefreshPending());
    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(1), 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->RefreshPending(); }, 3000));
    EXPECT_EQ(StatusCell(*page, 1), online);
}

}  // namespace
}  // namespace cpe::test
