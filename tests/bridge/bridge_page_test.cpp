// The bridge page: the mode switch decides whether the wizard opens, the page stops and restarts
// the periodic refresh around it and reloads once afterwards, and its inert header cells.
#include "actions/bridge/bridge_wizard.h"
#include "tests/bridge/bridge_fixture.h"

#include <QPointer>

namespace cpe::test {
namespace {

using BridgePage = BridgeTest;

TEST_F(BridgePage, ModeSwitchAtApRefusesTheWizardAndTheListStillReloads) {
    AddDevice(1, 1);
    auto page = MakeBridgePage();
    ASSERT_EQ(Operate(*page, 1), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString::fromUtf8(actions::kModeSwitchAtAp.data(), actions::kModeSwitchAtAp.size()));
    EXPECT_EQ(boxes[0].icon, MessageIcon::kExclamation);
    EXPECT_TRUE(host_.autoRefresh);
    EXPECT_TRUE(Sent(MessageType::site_survey).empty());

    // The one reload after the message: the row shows what the store holds by then.
    ASSERT_TRUE(page->RefreshPending());
    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(1), 3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(*page, 1, ListColumn::kStatus) == "Bridge fail"; }, 2000));
    EXPECT_FALSE(page->RefreshPending());
}

TEST_F(BridgePage, ModeSwitchOffOpensTheWizardOnTheClickedDeviceWithoutPeriodicRefresh) {
    AddDevice(1, 0);
    AddDevice(2, 2, 5);
    auto page = MakeBridgePage();
    CBridgeConfigDlg* wizard = Operate(*page, 2);
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_TRUE(wizard->isModal());
    EXPECT_FALSE(host_.autoRefresh);
    EXPECT_EQ(page->Target().ip, "10.1.0.2");
    EXPECT_EQ(page->Target().mac, DeviceMac(2));
    EXPECT_EQ(page->Target().model, 5);

    // Opening the wizard asks the device for a survey.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Sent(MessageType::site_survey).size() == 1; }, 2000));
    EXPECT_EQ(Sent(MessageType::site_survey)[0].ip, "10.1.0.2");

    QTest::mouseClick(wizard->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_TRUE(host_.autoRefresh);
    EXPECT_TRUE(page->RefreshPending());
    EXPECT_EQ(page->Wizard(), wizard) << "the page keeps the wizard after its window closed";
}

TEST_F(BridgePage, OpeningAnotherWizardDestroysTheFirst) {
    AddDevice(1);
    AddDevice(2);
    auto page = MakeBridgePage();
    QPointer<CBridgeConfigDlg> first = Operate(*page, 1);
    ASSERT_TRUE(first);
    first->OnClose();
    CBridgeConfigDlg* second = Operate(*page, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(page->Target().mac, DeviceMac(2));
    second->OnClose();
}

TEST_F(BridgePage, SerialAndOperateHeadersDoNotSort) {
    AddDevice(1);
    AddDevice(2);
    auto page = MakeBridgePage();
    const int sortColumn = page->SortColumn();
    const bool direction = page->DirectionFlag();
    const QStringList order = Column(*page, ListColumn::kIp);
    for (ListColumn kind : {ListColumn::kSerial, ListColumn::kOperate}) {
        ClickCell(*page->Grid(), 0, page->Traits().ColumnOf(kind));
        EXPECT_EQ(page->SortColumn(), sortColumn);
        EXPECT_EQ(page->DirectionFlag(), direction);
        EXPECT_EQ(Column(*page, ListColumn::kIp), order);
    }
    EXPECT_EQ(page->Wizard(), nullptr);
    ClickCell(*page->Grid(), 0, page->Traits().ColumnOf(ListColumn::kMac));
    EXPECT_NE(page->DirectionFlag(), direction) << "the other headers sort";
}

}  // namespace
}  // namespace cpe::test
