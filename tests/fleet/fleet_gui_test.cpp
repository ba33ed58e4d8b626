// The Inventory page and its dialogs through real widgets: the filter and paging over a seeded
// inventory, restoring a backup (which blocks, the address only when ticked, keys masked), applying
// one to devices of another model set, and the configuration Save that takes a backup first.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "actions/reboot_restore/reboot_restore_action.h"
#include "config/management_config_dlg.h"
#include "config/wireless_set_dlg.h"
#include "fleet/apply_settings_dlg.h"
#include "fleet/inventory_page.h"
#include "fleet/restore_settings_dlg.h"
#include "inventory/inventory.h"
#include "tests/actions/settings/settings_fixture.h"
#include "tests/config/config_page_fixture.h"
#include "tests/inventory/inventory_test_support.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_edit.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/page_text.h"

namespace cpe::test {
namespace {

constexpr std::uint16_t Type(MessageType t) { return TypeCode(t); }
QLineEdit& Edit(QWidget& form, int id) { return *DlgItem<QLineEdit>(&form, id); }

class FleetTest : public ConfigPageTest {
protected:
    FleetTest() {
        fleet_ = inventory::Inventory::OpenWriter(InventoryAt(dir_ / "inventory.sqlite", clock_));
        EXPECT_TRUE(fleet_->WaitOpened(kWriteWait));
    }

    PageServices FleetServices() { return PageServices{*engine_, *store_, fleet_.get()}; }

    std::unique_ptr<CInventoryDlg> InventoryPage() {
        auto page = std::make_unique<CInventoryDlg>(nullptr, host_, FleetServices());
        host_.pages[page->DialogId()] = page.get();
        page->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        page->RefreshList();
        return page;
    }

    // The device as the inventory heard it, with a backup of that record; the backup's number.
    std::int64_t BackedUp(const ap_info_stu& record) {
        fleet_->OnDeviceRecord(record);
        return fleet_->TakeBackupNow(record.mac, inventory::backup_reason::kOnRequest, kWriteWait);
    }

    std::vector<std::string> EventKinds(const std::string& mac) {
        EXPECT_TRUE(fleet_->Flush(kWriteWait));
        std::vector<std::string> kinds;
        for (const inventory::HistoryEvent& e : fleet_->History(mac))
            kinds.push_back(e.kind);
        return kinds;
    }

    TestClock clock_;
    std::shared_ptr<inventory::Inventory> fleet_;
};

// 25 devices: the 15 heard again three hours later are online, the 10 that went silent are
// offline "for 3 h"; the filter, search and page size each show page one of their own result.
TEST_F(FleetTest, InventoryPageFiltersSearchesAndPagesTheWholeInventory) {
    for (int n = 1; n <= 25; ++n)
        fleet_->OnDeviceRecord(MakeDevice(n, 1));
    *clock_.now += 3 * 3600 + 5;
    for (int n = 1; n <= 25; ++n) {
        if (n <= 15)
            fleet_->OnDeviceRecord(MakeDevice(n, 1));
        else
            fleet_->OnDeviceGone(DeviceMac(n));
    }
    ASSERT_TRUE(fleet_->Flush(kWriteWait));
    auto page = InventoryPage();
    EXPECT_EQ(page->OnlineCount(), 25);
    EXPECT_EQ(page->OnlineLabel()->text(), "Known device count:25");
    page->PageSizeList()->setCurrentIndex(page->PageSizeList()->findText("15"));
    EXPECT_EQ(page->PageCount(), 2);
    page->OnPagerSelect(2);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1 + 10);
    EXPECT_EQ(Cell(*page, 1, ListColumn::kSerial), "16");

    page->FilterList()->setCurrentIndex(page->FilterList()->findData(int(inventory::OnlineFilter::kOffline)));
    EXPECT_EQ(page->CurrentPage(), 1);
    EXPECT_EQ(page->OnlineCount(), 10);
    const QStringList lastSeen = Column(*page, ListColumn::kLastSeen);
    EXPECT_EQ(lastSeen.size(), 10);
    EXPECT_EQ(lastSeen.count("Offline for 3 h"), 10) << lastSeen.join('|').toStdString();

    page->FilterList()->setCurrentIndex(page->FilterList()->findData(int(inventory::OnlineFilter::kOnline)));
    EXPECT_EQ(page->OnlineCount(), 15);
    EXPECT_EQ(Column(*page, ListColumn::kLastSeen).count("Online"), 15);

    // A hurried search: the name as typed, in capitals, finds the device online or not.
    page->FilterList()->setCurrentIndex(page->FilterList()->findData(int(inventory::OnlineFilter::kAll)));
    page->OnPagerSelect(2);
    QTest::keyClicks(page->SearchEdit(), "CPE-2");
    EXPECT_EQ(page->CurrentPage(), 1);
    EXPECT_EQ(page->OnlineCount(), 7);  // cpe-2, cpe-20 .. cpe-25
    QTest::keyClicks(page->SearchEdit(), "'; drop table devices; --");
    EXPECT_EQ(page->OnlineCount(), 0);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1);
}

// Restore offers every block but the address; what goes out is the chosen blocks, each after a
// backup of the device as it is now, and the history says what became of it.
TEST_F(FleetTest, RestoreSendsTheChosenBlocksWithTheAddressOnlyWhenTicked) {
    const ap_info_stu reset = FactoryReset();
    const std::int64_t backupId = BackedUp(SavedSettings());
    ASSERT_GT(backupId, 0);
    Store(reset);
    fleet_->OnDeviceRecord(reset);
    CRestoreSettingsDlg dialog(FleetServices(), reset.mac, nullptr, 2ms);
    dialog.show();
    ASSERT_EQ(dialog.ListedBackups().size(), 1u);
    EXPECT_EQ(dialog.ChosenBlocks(), actions::kRestoreBlocks);
    EXPECT_FALSE(dialog.BlockBox(inventory::SettingsBlock::kIp)->isChecked());

    // The fields side by side, the passphrase masked until asked for.
    const int ssid = dialog.FieldRow("ssid");
    ASSERT_GT(ssid, 0);
    EXPECT_EQ(dialog.Grid()->GetItemText(ssid, 2), "net5");
    EXPECT_EQ(dialog.Grid()->GetItemText(ssid, 3), "default");
    std::string keyField;
    for (const inventory::BackupField& f : inventory::BackupFields(SavedSettings(), "UTF-8"))
        if (f.isKey && f.value == "secret12")
            keyField = f.name;
    const int key = dialog.FieldRow(keyField);
    ASSERT_GT(key, 0);
    EXPECT_EQ(dialog.Grid()->GetItemText(key, 2), QString::fromUtf8(CRestoreSettingsDlg::kMaskedKey));
    ClickBox(*dialog.ShowKeysBox());
    EXPECT_EQ(dialog.Grid()->GetItemText(dialog.FieldRow(keyField), 2), "secret12");

    QTest::mouseClick(dialog.ActionButton(), Qt::LeftButton);
    const auto sent = ConfigurationSent();
    const auto types = TypesOf(sent);
    EXPECT_EQ(std::count(types.begin(), types.end(), Type(MessageType::set_ip)), 0);
    EXPECT_EQ(std::count(types.begin(), types.end(), Type(MessageType::set_name)), 1);
    EXPECT_EQ(std::count(types.begin(), types.end(), Type(MessageType::set_wireless)), 1);
    EXPECT_EQ(std::count(types.begin(), types.end(), Type(MessageType::set_vlan)), 1);
    for (const SentDatagram& d : sent)
        EXPECT_EQ(d.ip, "192.168.1.254") << "requests go to the address the device has now";
    // Nothing answers here: the device still reports its factory settings.
    EXPECT_EQ(dialog.ResultLabel()->text(), "The device did not confirm the settings.");
    EXPECT_EQ(EventKinds(reset.mac).front(), "settings_restore");
    const auto backups = fleet_->Backups(reset.mac);
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups.front().reason, inventory::backup_reason::kBeforeSettingsRestore);

    ClickBox(*dialog.BlockBox(inventory::SettingsBlock::kIp));
    for (auto block : {inventory::SettingsBlock::kName, inventory::SettingsBlock::kWireless,
                       inventory::SettingsBlock::kVlan, inventory::SettingsBlock::kTimedReboot})
        ClickBox(*dialog.BlockBox(block));
    EXPECT_EQ(dialog.ChosenBlocks(), (actions::SettingsBlocks{false, false, true, false, false}));
    dialog.BackupList()->setCurrentIndex(dialog.BackupList()->count() - 1);  // the saved settings
    QTest::mouseClick(dialog.ActionButton(), Qt::LeftButton);
    EXPECT_EQ(TypesOf(ConfigurationSent()), std::vector<std::uint16_t>{Type(MessageType::set_ip)});
}

// A backup of the other model set goes to none of its devices: each row says why, nothing is
// sent to it, and the device of the same set still gets its own backup and the settings.
TEST_F(FleetTest, ApplyRefusesDevicesOfAnotherModelSetAndGoesOnWithTheRest) {
    ASSERT_GT(BackedUp(SavedSettings()), 0);
    ap_info_stu same = Device24();
    std::strcpy(same.mac, "00:1a:ff:00:0b:02");
    same.ip = ParseIp("192.168.1.21");
    ap_info_stu other = same;
    std::strcpy(other.mac, "00:1a:ff:00:0b:03");
    other.ip = ParseIp("192.168.1.22");
    other.ap_type.set(4);  // the other model set
    for (const ap_info_stu& d : {same, other}) {
        Store(d);
        fleet_->OnDeviceRecord(d);
    }
    CApplySettingsDlg dialog(FleetServices(), SavedSettings().mac, nullptr, 2ms);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const int sameRow = dialog.RowOf(same.mac), otherRow = dialog.RowOf(other.mac);
    ASSERT_GT(sameRow, 0);
    ASSERT_GT(otherRow, 0);

    QTest::mouseClick(dialog.ActionButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u) << "nothing checked";
    EXPECT_EQ(boxes[0].text, PageText(actions::kSelectDevicesKey));
    EXPECT_FALSE(dialog.Running());

    for (int row : {otherRow, sameRow})
        ClickCell(*dialog.Grid(), row, 0);
    QTest::mouseClick(dialog.ActionButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Running(); }, 5000));
    EXPECT_EQ(dialog.ResultOf(otherRow), PageText(actions::kOtherModelSetKey));
    EXPECT_EQ(dialog.ResultOf(sameRow), "Not confirmed");
    const auto sent = ConfigurationSent();
    ASSERT_FALSE(sent.empty());
    for (const SentDatagram& d : sent) {
        EXPECT_EQ(d.ip, "192.168.1.21");
        EXPECT_NE(d.type, Type(MessageType::set_name));
        EXPECT_NE(d.type, Type(MessageType::set_ip));
    }
    EXPECT_EQ(fleet_->Backups(other.mac).size(), 0u);
    EXPECT_EQ(fleet_->Backups(same.mac).size(), 1u);
    EXPECT_EQ(EventKinds(other.mac).front(), "settings_apply");

    // Closed while the device waits for its report: its outcome is kept, nothing more is sent.
    CApplySettingsDlg closing(FleetServices(), SavedSettings().mac, nullptr, 500ms);
    closing.show();
    ClickCell(*closing.Grid(), closing.RowOf(same.mac), 0);
    QTest::mouseClick(closing.ActionButton(), Qt::LeftButton);
    ASSERT_TRUE(closing.Running());
    QTest::mouseClick(closing.CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(closing.Running());
    EXPECT_EQ(closing.ResultOf(closing.RowOf(same.mac)), "Not confirmed");
    const auto kinds = EventKinds(same.mac);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "settings_apply"), 2) << "the second apply has its outcome";
}

// A Save from the management page backs the device up before it sends, and says so in its history.
TEST_F(FleetTest, ConfigurationSaveFromTheWindowTakesABackupFirst) {
    Store(Device5());
    fleet_->OnDeviceRecord(Device5());
    auto page = std::make_unique<CManagementDlg>(nullptr, host_, FleetServices());
    page->show();
    page->SetTimings({1000ms, 2ms});
    page->RefreshList();
    Operate(*page, Device5().mac, [](CManagementConfigDlg& d) {
        Edit(*d.WirelessForm(), ids::wireless_set::kSsid).setText("renamed-net");
        QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
    });
    EXPECT_EQ(TypesOf(ConfigurationSent()), std::vector<std::uint16_t>{Type(MessageType::set_wireless)});
    ASSERT_TRUE(fleet_->Flush(kWriteWait));
    const auto backups = fleet_->Backups(Device5().mac);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].reason, inventory::backup_reason::kBeforeSave);
    const auto backup = fleet_->Backup(backups[0].id);
    ASSERT_TRUE(backup);
    EXPECT_EQ(std::string(backup->record.ssid.text()), "net5") << "the settings from before the Save";
    EXPECT_EQ(EventKinds(Device5().mac).front(), "configuration_save");
}

}  // namespace
}  // namespace cpe::test
