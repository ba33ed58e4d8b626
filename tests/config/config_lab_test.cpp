// The management page and the configuration dialog against simulated devices in the network lab:
// one Save that changes a device's name, SSID, security, channel, VLANs and address reaches the
// device in the order it applies them, the device restarts at its new address and the list shows
// what it now holds; a Save of the timed reboot alone sends exactly its four bytes.
#include "config/ip_set_dlg.h"
#include "config/time_reboot_dlg.h"
#include "config/vlan_dlg.h"
#include "config/wireless_set_dlg.h"
#include "tests/config/config_page_fixture.h"
#include "tests/e2e/e2e_fixture.h"
#include "ui/ct_button_picture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;
using test::ClickBox;
using test::WhenModal;

constexpr std::size_t kDevices = 13;
// Access points with plain ASCII names: device 0 without security, device 12 with WPA2.
constexpr std::size_t kFullChange = 0;
constexpr std::size_t kRebootOnly = 12;

QLineEdit& Edit(QWidget* form, int id) { return *DlgItem<QLineEdit>(form, id); }

// Chooses the entry carrying `data`, the way the operator does.
void Choose(QWidget* form, int comboId, int data) {
    QComboBox& combo = *DlgItem<QComboBox>(form, comboId);
    const int index = combo.findData(data);
    ASSERT_GE(index, 0) << "combo " << comboId << " offers no " << data;
    combo.setCurrentIndex(index);
    emit combo.activated(index);
}

// The configuration requests among the last requests a simulated device received, in order.
std::vector<std::string> ConfigRequests(const sim::JsonValue& device) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < device["recent"].Size(); ++i)
        if (const std::string name = device["recent"][i].Str(); name.rfind("set_", 0) == 0)
            out.push_back(name);
    return out;
}

class ConfigLabTest : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        if (IsSkipped())
            return;
        // Restarts short enough to finish within the (shortened) wait popup.
        StartAndDiscover({"--devices", std::to_string(kDevices), "--heartbeat-ms", "1000", "--reboot-ms", "1500",
                          "--apply-ms", "300"},
                         kDevices);
        devices_ = Devices();
        page_ = std::make_unique<CManagementDlg>(nullptr, host_, PageServices{utility_->Engine(), utility_->Store()});
        // The 60-second wait of a new VLAN passes in 3 s, still longer than the device's restart.
        page_->SetTimings({1000ms, 25ms});
        page_->show();
        page_->RefreshList();
        // A refusal would wait for a click nobody makes: it fails the test instead.
        SetMessageBoxHook([](const MessageBoxRequest& r) {
            ADD_FAILURE() << "refused: " << r.text.toStdString();
            return int(IDOK);
        });
    }
    void TearDown() override { SetMessageBoxHook({}); }

    std::string Mac(std::size_t i) const { return devices_[i]["mac"].Str(); }
    // The list row of device i, or 0.
    int Row(std::size_t i) const {
        const int macColumn = page_->Traits().ColumnOf(ListColumn::kMac);
        for (int row = 1; row < page_->Grid()->GetRowCount(); ++row)
            if (page_->Grid()->GetItemText(row, macColumn).toStdString() == Mac(i))
                return row;
        return 0;
    }
    QString Cell(std::size_t i, ListColumn column) const {
        const int row = Row(i);
        return row > 0 ? page_->Grid()->GetItemText(row, page_->Traits().ColumnOf(column)) : QString();
    }

    void Operate(std::size_t i, std::function<void(CManagementConfigDlg&)> act) {
        const int row = Row(i);
        ASSERT_GE(row, 1) << Mac(i) << " is not listed";
        WhenModal<CManagementConfigDlg>(std::move(act));
        QTest::mouseClick(page_->Grid()->viewport(), Qt::LeftButton, {},
                          page_->Grid()->CellRect(row, page_->Traits().ColumnOf(ListColumn::kOperate)).center());
    }

    std::vector<sim::JsonValue> devices_;
    test::FakeHost host_;
    std::unique_ptr<CManagementDlg> page_;
};

TEST_F(ConfigLabTest, OneSaveChangesEverythingAndTheDeviceComesBackAtItsNewAddress) {
    const std::string oldIp = devices_[kFullChange]["ip"].Str();
    const std::string newIp = "10.77.65.20";
    const auto started = std::chrono::steady_clock::now();
    Operate(kFullChange, [&](CManagementConfigDlg& dialog) {
        QWidget* wireless = dialog.WirelessForm();
        Edit(wireless, ids::wireless_set::kLocation).setText("lab-tower-1");
        Edit(wireless, ids::wireless_set::kSsid).setText("lab-net");
        Choose(wireless, ids::wireless_set::kCountry, 31);     // United States
        Choose(wireless, ids::wireless_set::kNetworkMode, 1);  // 11a/n
        QTest::mouseClick(DlgItem<QRadioButton>(wireless, ids::wireless_set::kWidth40), Qt::LeftButton);
        Choose(wireless, ids::wireless_set::kChannel, 149);
        Choose(wireless, ids::wireless_set::kSecurityMode, 3);  // WPA2-PSK
        QTest::mouseClick(DlgItem<QRadioButton>(wireless, ids::wireless_set::kPskAes), Qt::LeftButton);
        Edit(wireless, ids::wireless_set::kPskKey).setText("lab-passphrase-new");

        dialog.ShowForm(actions::ConfigForm::kVlan);
        ClickBox(*DlgItem<QCheckBox>(dialog.VlanForm(), ids::vlan::kEnable));
        Edit(dialog.VlanForm(), ids::vlan::kManage).setText("10");
        Edit(dialog.VlanForm(), ids::vlan::kWlan).setText("20");
        Edit(dialog.VlanForm(), ids::vlan::kLan).setText("30");
        Edit(dialog.IpForm(), ids::ip_set::kIp).setText(QString::fromStdString(newIp));

        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_GE(std::chrono::steady_clock::now() - started, 2s) << "a new VLAN waits for the device";
    EXPECT_TRUE(host_.autoRefresh);

    const sim::JsonValue device = sim_->Device(Mac(kFullChange));
    EXPECT_EQ(ConfigRequests(device), (std::vector<std::string>{"set_name", "set_wireless", "set_vlan", "set_ip"}));
    EXPECT_EQ(device["payloads"]["set_vlan"].Str(), "01000a0014001e000100") << "VLAN block with its apply flag set";
    const std::string ipBlock = device["payloads"]["set_ip"].Str();
    ASSERT_EQ(ipBlock.size(), 44u);
    EXPECT_EQ(ipBlock.substr(0, 10), "010a4d4114") << "static, 10.77.65.20";
    EXPECT_EQ(ipBlock.substr(42), "00") << "the address waits for the VLAN's restart";
    EXPECT_EQ(device["ap_name"].Str(), "lab-tower-1");
    EXPECT_EQ(device["ssid"].Str(), "lab-net");
    EXPECT_EQ(device["channel"].Int(), 149);
    EXPECT_EQ(device["secure_mode"].Int(), 3);
    EXPECT_EQ(device["vlan_en"].Int(), 1);
    EXPECT_EQ(device["vlan_id_lan"].Int(), 30);
    EXPECT_EQ(device["ip"].Str(), newIp);

    // The device restarts and announces itself from its new address; the list, reloaded a second
    // after the dialog closed, shows what it holds now.
    ASSERT_TRUE(WaitUntil([&] { return sim_->Device(Mac(kFullChange))["restarts"].Int() == 1; }, 5s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(kFullChange, ListColumn::kIp).toStdString() == newIp; }, 10000))
        << "the list still shows " << Cell(kFullChange, ListColumn::kIp).toStdString() << " (was " << oldIp << ")";
    EXPECT_EQ(Cell(kFullChange, ListColumn::kLocation), "lab-tower-1");
    EXPECT_EQ(Cell(kFullChange, ListColumn::kSsid), "lab-net");
    EXPECT_EQ(Cell(kFullChange, ListColumn::kChannel), "149");
    const auto row = utility_->Row(Mac(kFullChange));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->vlan_id.get(), 10);
    EXPECT_EQ(row->security.wpapsk_key_value.text(), "lab-passphrase-new");
    EXPECT_EQ(row->security.wpapsk_auth_type, 0);
    EXPECT_EQ(row->expand_channel, 0) << "153 pairs with 149 (extension data 0)";
}

TEST_F(ConfigLabTest, TimedRebootAloneSendsItsFourBytes) {
    Operate(kRebootOnly, [](CManagementConfigDlg& dialog) {
        dialog.ShowForm(actions::ConfigForm::kTimedReboot);
        QWidget* form = dialog.TimeRebootForm();
        ClickBox(*DlgItem<QCheckBox>(form, ids::time_reboot::kEnable));
        ClickBox(*DlgItem<QCheckBox>(form, ids::time_reboot::kEveryday));
        Edit(form, ids::time_reboot::kHour).setText("2");
        Edit(form, ids::time_reboot::kMinute).setText("30");
        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible()) << "no wait for a timed reboot";
    });
    ASSERT_TRUE(WaitUntil([&] { return sim_->Device(Mac(kRebootOnly))["restart_en"].Int() == 1; }, 5s));
    const sim::JsonValue device = sim_->Device(Mac(kRebootOnly));
    EXPECT_EQ(ConfigRequests(device), std::vector<std::string>{"set_restart"});
    EXPECT_EQ(device["payloads"]["set_restart"].Str(), "01fe9600");
    EXPECT_EQ(device["restart_type"].Int(), 0xFE);
    EXPECT_EQ(device["restart_time"].Int(), 150);
    EXPECT_EQ(device["restarts"].Int(), 0);
}

}  // namespace
}  // namespace cpe::lab
