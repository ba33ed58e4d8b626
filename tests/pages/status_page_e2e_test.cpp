// The status page against simulated devices in the network lab: a discovery run fills the list
// (devices that never send their record are topped up), and a rename in place reaches the device.
#include "pages/status_dlg.h"
#include "tests/e2e/lab_support.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/grid/in_place_edit.h"

namespace cpe::lab {
namespace {

constexpr int kIdentified = 10;
constexpr int kRecordless = 2;

class StatusPageLab : public ::testing::Test {
protected:
    void SetUp() override {
        lab_ = CurrentLab();
        if (!lab_)
            GTEST_SKIP() << "not inside the network lab; ctest runs this through tools/netlab.sh run";
        sim_ = std::make_unique<SimProcess>(
            *lab_, std::vector<std::string>{"--devices", std::to_string(kIdentified + kRecordless), "--no-record",
                                            std::to_string(kRecordless)});
        ASSERT_TRUE(sim_->Ready());
        utility_ = std::make_unique<Utility>();
        ASSERT_TRUE(utility_->Started());
        page_ = std::make_unique<CStatusDlg>(nullptr, host_, PageServices{utility_->Engine(), utility_->Store()});
        page_->show();
    }

    std::optional<LabEnv> lab_;
    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<Utility> utility_;
    test::FakeHost host_;
    std::unique_ptr<CStatusDlg> page_;
};

TEST_F(StatusPageLab, DiscoveryRunListsTheDevicesAndRenameReachesOne) {
    // A run of 30 ticks of 150 ms, broadcasting every 450 ms.
    page_->SetTimings({150, 300});
    QTest::mouseClick(page_->SearchButton(), Qt::LeftButton);
    ASSERT_FALSE(page_->IsIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page_->IsIdle(); }, 15000));

    page_->RefreshList();
    EXPECT_EQ(page_->StoreRowCount(), kIdentified);
    EXPECT_EQ(page_->ToppedUpRowCount(), kRecordless);
    EXPECT_EQ(page_->OnlineCount(), kIdentified);
    CGridCtrl& grid = *page_->Grid();
    EXPECT_EQ(grid.GetCell(kIdentified + 1, 0)->GetImage(), 10);

    const int mac = page_->Traits().ColumnOf(ListColumn::kMac);
    const std::string deviceMac = grid.GetItemText(1, mac).toStdString();
    const QRect location = grid.CellRect(1, 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, location.center());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, location.center());
    CInPlaceEdit* editor = grid.InPlaceEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    editor->insert(QStringLiteral("Water tower, north mast 3 (spare)"));
    QTest::keyClick(editor, Qt::Key_Tab);

    const std::string expected = "Water tower, north mast 3 (spare";
    ASSERT_EQ(expected.size(), 32u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sim_->Device(deviceMac)["ap_name"].Str() == expected; }, 5000))
        << sim_->Device(deviceMac)["ap_name"].Str();
}

}  // namespace
}  // namespace cpe::lab
