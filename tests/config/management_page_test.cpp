// The management page's "Operate" click and what follows the dialog: the periodic refresh rests
// while it is open, the list reloads a second after it closes however it closed, and a Save sends
// what changed with the wait the change needs.
#include "config/ip_set_dlg.h"
#include "config/vlan_dlg.h"
#include "config/wireless_set_dlg.h"
#include "tests/config/config_page_fixture.h"
#include "ui/ct_button_picture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

namespace cpe::test {
namespace {

constexpr std::uint16_t Type(MessageType t) { return TypeCode(t); }

QLineEdit& Edit(QWidget& form, int id) { return *DlgItem<QLineEdit>(&form, id); }

using ManagementPage = ConfigPageTest;

TEST_F(ManagementPage, OperateOpensTheRowsDeviceAndTheListReloadsASecondAfterCancelOrClose) {
    Store(Device5());
    ap_info_stu other = Device24();
    std::strcpy(other.mac, "00:1a:ff:00:0b:02");
    other.ip = ParseIp("192.168.1.21");
    other.ap_name.assign("barn");
    Store(other);
    auto page = ListedPage();

    // Cells other than "Operate", and its header, open nothing.
    ClickCell(*page->Grid(), RowOf(*page, other.mac), page->Traits().ColumnOf(ListColumn::kLocation));
    ClickCell(*page->Grid(), 0, page->Traits().ColumnOf(ListColumn::kOperate));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    bool opened = false;
    Operate(*page, other.mac, [&](CManagementConfigDlg& dialog) {
        opened = true;
        EXPECT_FALSE(host_.autoRefresh);
        EXPECT_EQ(page->TargetIp(), "192.168.1.21");
        EXPECT_EQ(page->TargetMac(), other.mac);
        EXPECT_EQ(Edit(*dialog.WirelessForm(), ids::wireless_set::kLocation).text(), "barn");
        EXPECT_EQ(dialog.ShownForm(), actions::ConfigForm::kWireless);
        Edit(*dialog.WirelessForm(), ids::wireless_set::kLocation).setText("typed, then cancelled");
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(opened);
    EXPECT_TRUE(host_.autoRefresh);
    EXPECT_TRUE(page->RefreshPending());

    // The store learns a new name; the list shows it a second after the dialog closed.
    other.ap_name.assign("barn-renamed");
    ASSERT_TRUE(store_->SaveDevice(other));
    const auto closed = std::chrono::steady_clock::now();
    const int row = RowOf(*page, other.mac);
    EXPECT_EQ(Cell(*page, row, ListColumn::kLocation), "barn");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(*page, row, ListColumn::kLocation) == "barn-renamed"; }, 3000));
    EXPECT_GE(std::chrono::steady_clock::now() - closed, 900ms);

    // The close box closes the same way.
    Operate(*page, Device5().mac,
            [](CManagementConfigDlg& dialog) { QTest::mouseClick(dialog.CloseBox(), Qt::LeftButton); });
    EXPECT_TRUE(host_.autoRefresh);
    EXPECT_TRUE(page->RefreshPending());
    EXPECT_TRUE(ConfigurationSent().empty());
}

TEST_F(ManagementPage, DeviceThatLeftTheStoreIsNotOpened) {
    Store(Device5());
    auto page = ListedPage();
    ASSERT_TRUE(store_->DeleteDevice(Device5().mac));
    ClickCell(*page->Grid(), 1, page->Traits().ColumnOf(ListColumn::kOperate));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(page->Grid()->GetRowCount(), 1) << "the list reloads without the device";
    EXPECT_TRUE(host_.autoRefresh);
}

TEST_F(ManagementPage, SaveWithNothingChangedSendsNothingAndWaitsForNothing) {
    Store(Device5());
    auto page = ListedPage();
    bool closed = false;
    Operate(*page, Device5().mac, [&](CManagementConfigDlg& dialog) {
        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
        closed = dialog.result() == QDialog::Accepted && !dialog.isVisible();
    });
    EXPECT_TRUE(closed) << "Save closes at once, without a wait popup";
    EXPECT_TRUE(boxes.empty());
    QTest::qWait(400);
    EXPECT_TRUE(ConfigurationSent().empty());
    EXPECT_TRUE(Sent(MessageType::get_info).empty());
    EXPECT_FALSE(page->PendingConfiguration().SendsAnything());
}

// A new VLAN makes the operator wait 60 seconds, a new address alone 15, anything else not at all;
// IP and VLAN together go out VLAN first with its apply flag set and the address's cleared.
TEST_F(ManagementPage, WaitPopupFollowsTheChangeAndIpWithVlanSwapsTheApplyFlags) {
    Store(Device5());
    auto page = ListedPage();
    // The seconds of the wait popup the Save shows; 0 when the dialog closes without one. Its line
    // names the device and what it waits for.
    QString line;
    auto save = [&](std::function<void(CManagementConfigDlg&)> change, bool popup = true) {
        int waitedSeconds = 0;
        Operate(*page, Device5().mac, [&](CManagementConfigDlg& dialog) {
            change(dialog);
            if (popup)
                WhenModal<CWaitDlg>(
                    [&](CWaitDlg& wait) {
                        waitedSeconds = wait.StepCount() / 2;
                        line = wait.Line()->text();
                    },
                    1s);
            QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
            EXPECT_FALSE(dialog.isVisible());
        });
        return waitedSeconds;
    };
    auto newAddress = [](CManagementConfigDlg& d) { Edit(*d.IpForm(), ids::ip_set::kIp).setText("192.168.1.77"); };
    auto newVlan = [](CManagementConfigDlg& d) {
        ClickBox(*DlgItem<QCheckBox>(d.VlanForm(), ids::vlan::kEnable));
        Edit(*d.VlanForm(), ids::vlan::kManage).setText("10");
        Edit(*d.VlanForm(), ids::vlan::kWlan).setText("20");
        Edit(*d.VlanForm(), ids::vlan::kLan).setText("30");
    };

    EXPECT_EQ(save([&](CManagementConfigDlg& d) {
                  newAddress(d);
                  d.ShowForm(actions::ConfigForm::kVlan);
                  newVlan(d);
              }),
              60);
    EXPECT_TRUE(line.contains(QRegularExpression("^Applying settings to 192.168.1.20 - the device restarts; about "
                                                 "(60|59|58) s left$")))
        << line.toStdString();
    const auto both = ConfigurationSent();
    ASSERT_EQ(TypesOf(both), (std::vector<std::uint16_t>{Type(MessageType::set_vlan), Type(MessageType::set_ip)}));
    EXPECT_EQ(both[0].payload[actions::kVlanApplyFlagByte], 1);
    EXPECT_EQ(both[1].payload[actions::kIpApplyFlagByte], 0);
    EXPECT_EQ(both[1].ip, "192.168.1.20") << "requests go to the address the device has";

    EXPECT_EQ(save(newAddress), 15);
    EXPECT_TRUE(line.contains(QRegularExpression("^Applying settings to 192.168.1.20 - the device moves to its new "
                                                 "address; about (15|14|13) s left$")))
        << line.toStdString();
    const auto ipOnly = ConfigurationSent();
    ASSERT_EQ(ipOnly.size(), 1u);
    EXPECT_EQ(ipOnly[0].payload[actions::kIpApplyFlagByte], 1);

    EXPECT_EQ(
        save([](CManagementConfigDlg& d) { Edit(*d.WirelessForm(), ids::wireless_set::kSsid).setText("x"); }, false),
        0);
    EXPECT_EQ(TypesOf(ConfigurationSent()), std::vector<std::uint16_t>{Type(MessageType::set_wireless)});
}

// A device on a radar channel shows that channel (the lists never offer it) and keeps it: a new
// name alone sends only the name, a new SSID sends the wireless block with the device's channel.
TEST_F(ManagementPage, ValuesTheListsDoNotOfferSurviveASave) {
    ap_info_stu radar = Device5();
    radar.channel = 100;
    radar.expand_channel = 1;
    Store(radar);
    auto page = ListedPage();
    Operate(*page, radar.mac, [](CManagementConfigDlg& dialog) {
        const QComboBox& channel = *DlgItem<QComboBox>(dialog.WirelessForm(), ids::wireless_set::kChannel);
        EXPECT_EQ(channel.currentText(), "100");
        EXPECT_TRUE(channel.itemData(channel.currentIndex(), Qt::FontRole).value<QFont>().italic());
        Edit(*dialog.WirelessForm(), ids::wireless_set::kLocation).setText("radar-tower");
        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
    });
    EXPECT_EQ(TypesOf(ConfigurationSent()), std::vector<std::uint16_t>{Type(MessageType::set_name)});

    Operate(*page, radar.mac, [](CManagementConfigDlg& dialog) {
        Edit(*dialog.WirelessForm(), ids::wireless_set::kSsid).setText("renamed-net");
        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
    });
    const auto sent = ConfigurationSent();
    ASSERT_EQ(TypesOf(sent), std::vector<std::uint16_t>{Type(MessageType::set_wireless)});
    ap_info_stu block = actions::RecordWith(WirelessBlock{}, kWirelessBlockOffset);
    std::memcpy(reinterpret_cast<std::uint8_t*>(&block) + kWirelessBlockOffset, sent[0].payload.data(),
                std::min(sent[0].payload.size(), kWirelessBlockSize));
    EXPECT_EQ(block.channel, 100);
    EXPECT_EQ(block.expand_channel, 1);
    EXPECT_EQ(block.ssid.text(), "renamed-net");
}

}  // namespace
}  // namespace cpe::test
