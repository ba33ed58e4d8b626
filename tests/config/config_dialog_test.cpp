// The configuration dialog's wiring through real widgets: tabs, the order Save asks the forms in
// and how a refusal is shown, the VLAN form of model set B, the timed-reboot day boxes, and the
// wireless form's reactions.
#include "actions/config/config_messages.h"
#include "config/ip_set_dlg.h"
#include "config/security_forms.h"
#include "config/time_reboot_dlg.h"
#include "config/vlan_dlg.h"
#include "config/wireless_set_dlg.h"
#include "tests/config/config_page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/limit_mark.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>

#include <filesystem>
#include <set>
#include <tuple>

#include "platform/ini_file.h"

namespace cpe::test {
namespace {

class RecordingTarget : public ConfigSaveTarget {
public:
    std::vector<std::string> DeviceIps() override { return ips; }
    void SendConfiguration(const actions::config_request& request) override { sent.push_back(request); }

    std::vector<std::string> ips{"192.168.1.20", "192.168.1.30"};
    std::vector<actions::config_request> sent;
};

class ConfigDialog : public ConfigPageTest {
protected:
    std::unique_ptr<CManagementConfigDlg> Open(const ap_info_stu& device) {
        auto dialog = std::make_unique<CManagementConfigDlg>(device, target, nullptr, 2ms);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    static QLineEdit& Edit(QWidget* form, int id) { return *DlgItem<QLineEdit>(form, id); }
    static QCheckBox& Box(QWidget* form, int id) { return *DlgItem<QCheckBox>(form, id); }
    static QComboBox& Combo(QWidget* form, int id) { return *DlgItem<QComboBox>(form, id); }

    // Chooses a combo entry the way the operator does.
    static void Choose(QComboBox& combo, const QString& text) {
        const int index = combo.findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        combo.setCurrentIndex(index);
        emit combo.activated(index);
    }

    RecordingTarget target;
};

TEST_F(ConfigDialog, TabsShowOneFormAndMarkTheirTab) {
    auto dialog = Open(Device5());
    const QWidget* forms[] = {dialog->WirelessForm(), dialog->IpForm(), dialog->VlanForm(), dialog->TimeRebootForm()};
    const actions::ConfigForm order[] = {actions::ConfigForm::kWireless, actions::ConfigForm::kIp,
                                         actions::ConfigForm::kVlan, actions::ConfigForm::kTimedReboot};
    for (actions::ConfigForm shown : {actions::ConfigForm::kTimedReboot, actions::ConfigForm::kIp,
                                      actions::ConfigForm::kVlan, actions::ConfigForm::kWireless}) {
        QTest::mouseClick(dialog->Tab(shown), Qt::LeftButton);
        EXPECT_EQ(dialog->ShownForm(), shown);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(forms[i]->isVisible(), order[i] == shown);
            EXPECT_EQ(dialog->Tab(order[i])->m_bSelected, order[i] == shown);
        }
    }
    // Every form sits directly below the tab row, at the same place.
    const int tabBottom = dialog->Tab(actions::ConfigForm::kWireless)->geometry().bottom();
    for (const QWidget* form : forms) {
        EXPECT_EQ(form->pos(), forms[0]->pos());
        EXPECT_GT(form->y(), tabBottom);
        EXPECT_LT(form->y() - tabBottom, 10);
    }
}

// Save asks wireless, IP, VLAN and timed reboot in that order; the first refusal shows its
// message in a warning box, keeps the shown tab and every entry, and sends nothing.
TEST_F(ConfigDialog, FirstRefusalStopsTheSaveOnTheShownTab) {
    auto dialog = Open(Device5());
    QTest::mouseClick(dialog->Tab(actions::ConfigForm::kVlan), Qt::LeftButton);
    Edit(dialog->IpForm(), ids::ip_set::kIp).setText("192.168.1.255");
    ClickBox(Box(dialog->VlanForm(), ids::vlan::kEnable));  // and an empty VLAN: never reached
    Edit(dialog->VlanForm(), ids::vlan::kManage).clear();
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The ip address is invalid!");
    EXPECT_EQ(boxes[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(dialog->ShownForm(), actions::ConfigForm::kVlan);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Edit(dialog->IpForm(), ids::ip_set::kIp).text(), "192.168.1.255");
    EXPECT_TRUE(target.sent.empty());

    // Another device's address is in use; the wireless form speaks first, with a warning.
    Edit(dialog->IpForm(), ids::ip_set::kIp).setText("192.168.1.30");
    Edit(dialog->WirelessForm(), ids::wireless_set::kSsid).clear();
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "The ssid can not be empty!");
    EXPECT_EQ(boxes[1].icon, MessageIcon::kExclamation);
    Edit(dialog->WirelessForm(), ids::wireless_set::kSsid).setText("net5");
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, "The ip address is already in use, please respecify!");
    EXPECT_EQ(dialog->ShownForm(), actions::ConfigForm::kVlan);

    // Then the VLAN form, whose refusal is a warning.
    Edit(dialog->IpForm(), ids::ip_set::kIp).setText("192.168.1.40");
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text, "VLAN range:1-4094");
    EXPECT_EQ(boxes[3].icon, MessageIcon::kExclamation);
    EXPECT_TRUE(QApplication::focusWidget() == DlgItemWidget(dialog->VlanForm(), ids::vlan::kManage));
    EXPECT_TRUE(target.sent.empty());
}

// Without a hook the refusal is a real box: a warning titled with the program's name, whichever
// form refuses.
TEST_F(ConfigDialog, RefusalsAreWarningsTitledWithTheProgramsName) {
    SetMessageBoxHook({});
    auto dialog = Open(Device5());
    Edit(dialog->IpForm(), ids::ip_set::kIp).setText("0.1.2.3");
    std::vector<std::tuple<QString, QString, QMessageBox::Icon>> shown;
    auto answer = [&] {
        WhenModal<QMessageBox>([&](QMessageBox& box) {
            shown.emplace_back(box.windowTitle(), box.text(), box.icon());
            box.accept();
        });
    };
    answer();
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    Edit(dialog->WirelessForm(), ids::wireless_set::kLocation).clear();
    answer();
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0],
              std::make_tuple(QString("CPEManagement"), QString("The ip address is invalid!"), QMessageBox::Warning));
    EXPECT_EQ(shown[1], std::make_tuple(QString("CPEManagement"), QString("The device name can not be empty!"),
                                        QMessageBox::Warning));
    EXPECT_TRUE(dialog->isVisible());
}

// What the operator types stays as typed: an octet past 255 is kept in the box (never cut to
// another address) and refused at Save, which Enter presses; Escape is Cancel.
TEST_F(ConfigDialog, AnAddressTypoIsKeptAndRefusedAtSaveWithNothingSent) {
    auto dialog = Open(Device5());
    QTest::mouseClick(dialog->Tab(actions::ConfigForm::kIp), Qt::LeftButton);
    QLineEdit& ip = Edit(dialog->IpForm(), ids::ip_set::kIp);
    ip.selectAll();
    QTest::keyClicks(&ip, "10.89.2.300");
    EXPECT_EQ(ip.text(), "10.89.2.300");
    ip.selectAll();
    QTest::keyClicks(&ip, "10.89.2.3O0");  // a letter O for a zero: refused as typed, never replaced
    EXPECT_EQ(ip.text(), "10.89.2.30");
    QTest::keyClick(&ip, Qt::Key_Backspace);
    QTest::keyClicks(&ip, "00");
    EXPECT_EQ(ip.text(), "10.89.2.300");
    QTest::keyClick(&ip, Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The ip address is invalid!");
    EXPECT_EQ(ip.text(), "10.89.2.300");
    EXPECT_TRUE(target.sent.empty());
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(&ip, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(target.sent.empty());
}

// A pasted SSID past 32 bytes stays whole: the box marks the limit and says it, Save refuses it.
TEST_F(ConfigDialog, ATooLongSsidIsKeptMarkedAndRefused) {
    auto dialog = Open(Device5());
    QLineEdit& ssid = Edit(dialog->WirelessForm(), ids::wireless_set::kSsid);
    ssid.setFocus();
    ssid.selectAll();
    QApplication::clipboard()->setText(QString(40, QChar('s')));
    QTest::keyClick(&ssid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ssid.text(), QString(40, QChar('s')));
    const LimitMark* mark = LimitMark::Of(ssid);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->CurrentState(), LimitMark::State::kBeyond);
    ASSERT_NE(mark->Hint(), nullptr);
    EXPECT_TRUE(mark->Hint()->isVisible());
    EXPECT_EQ(mark->Hint()->text(), "32 bytes at most");
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.toStdString(), actions::message::kSsidTooLong);
    EXPECT_TRUE(target.sent.empty());
    // Exactly at the limit: marked, not refused.
    ssid.setText(QString(32, QChar('s')));
    EXPECT_EQ(mark->CurrentState(), LimitMark::State::kReached);
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(target.sent.size(), 1u);
    EXPECT_EQ(actions::RecordWith(target.sent[0].wireless_block, kWirelessBlockOffset).ssid.len, 32);
}

// A device whose stored key is empty or unprintable: an IP-only Save passes and sends no
// wireless block; a country the lists lack shows as "Unknown (N)" and is kept.
TEST_F(ConfigDialog, AnUntouchedWirelessFormNeitherBlocksNorSendsAndKeepsAnUnknownCountry) {
    for (const char* stored : {"", "\x01\x02passphrase"}) {
        ap_info_stu device = Device5();
        device.security.secure_mode = 3;
        device.security.wpapsk_key_value.assign(stored);
        device.country_code = 40;
        target.sent.clear();
        auto dialog = Open(device);
        EXPECT_EQ(Combo(dialog->WirelessForm(), ids::wireless_set::kCountry).currentText(), "Unknown (40)");
        QTest::mouseClick(dialog->Tab(actions::ConfigForm::kIp), Qt::LeftButton);
        Edit(dialog->IpForm(), ids::ip_set::kIp).setText("192.168.1.77");
        QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
        EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
        ASSERT_EQ(target.sent.size(), 1u);
        EXPECT_TRUE(target.sent[0].ip_changed);
        EXPECT_FALSE(target.sent[0].wireless_changed || target.sent[0].name_changed);
    }
    ap_info_stu device = Device5();
    device.country_code = 40;
    target.sent.clear();
    auto dialog = Open(device);
    Edit(dialog->WirelessForm(), ids::wireless_set::kSsid).setText("renamed");
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(target.sent.size(), 1u);
    ASSERT_TRUE(target.sent[0].wireless_changed);
    EXPECT_EQ(actions::RecordWith(target.sent[0].wireless_block, kWirelessBlockOffset).country_code, 40);
}

// Tab walks the wireless form in reading order, its sub-form (created after the form's own
// entries) included: row by row from the top, left to right in a row.
TEST_F(ConfigDialog, TabWalksTheFormsInReadingOrder) {
    for (int mode : {1, 5}) {  // WEP, then WPA with its RADIUS entries
        ap_info_stu device = Device5();
        device.security.secure_mode = static_cast<std::uint8_t>(mode);
        auto dialog = Open(device);
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QWidget* form = dialog->WirelessForm();
        QLineEdit& first = Edit(form, ids::wireless_set::kLocation);
        first.setFocus();
        QPoint last = first.mapTo(dialog.get(), QPoint(0, 0));
        int walked = 0;
        for (QWidget* now = &first; walked < 40; ++walked) {
            QTest::keyClick(now, Qt::Key_Tab);
            now = QApplication::focusWidget();
            if (!now || now == &first || !form->isAncestorOf(now))
                break;  // round to the start, or on to the dialog's buttons
            const QPoint at = now->mapTo(dialog.get(), QPoint(0, 0));
            EXPECT_TRUE(at.y() > last.y() + 4 || (std::abs(at.y() - last.y()) <= 4 && at.x() > last.x()))
                << "mode " << mode << ": Tab went back from " << last.x() << "," << last.y() << " to " << at.x() << ","
                << at.y() << " (" << now->metaObject()->className() << ")";
            last = at;
        }
        EXPECT_GT(walked, 8) << "mode " << mode;
    }
}

TEST_F(ConfigDialog, ModelSetBHasNoLanLine) {
    ap_info_stu setB = Device5();
    setB.ap_type.set(260);
    auto b = Open(setB);
    QTest::mouseClick(b->Tab(actions::ConfigForm::kVlan), Qt::LeftButton);
    EXPECT_TRUE(DlgItemWidget(b->VlanForm(), ids::vlan::kLanLabel)->isHidden());
    EXPECT_TRUE(DlgItemWidget(b->VlanForm(), ids::vlan::kLan)->isHidden());
    EXPECT_FALSE(Edit(b->VlanForm(), ids::vlan::kManage).isEnabled());
    ClickBox(Box(b->VlanForm(), ids::vlan::kEnable));
    EXPECT_TRUE(Edit(b->VlanForm(), ids::vlan::kManage).isEnabled());

    auto a = Open(Device5());
    QTest::mouseClick(a->Tab(actions::ConfigForm::kVlan), Qt::LeftButton);
    EXPECT_TRUE(DlgItemWidget(a->VlanForm(), ids::vlan::kLanLabel)->isVisible());
    EXPECT_TRUE(DlgItemWidget(a->VlanForm(), ids::vlan::kLan)->isVisible());
}

TEST_F(ConfigDialog, EverydayTicksAndLocksTheWeekdays) {
    auto dialog = Open(Device5());
    QTest::mouseClick(dialog->Tab(actions::ConfigForm::kTimedReboot), Qt::LeftButton);
    QWidget* form = dialog->TimeRebootForm();
    auto weekdays = [&](bool checked, bool enabled) {
        for (int id : ids::time_reboot::kWeekdays) {
            EXPECT_EQ(Box(form, id).isChecked(), checked) << id;
            EXPECT_EQ(Box(form, id).isEnabled(), enabled) << id;
        }
    };
    weekdays(false, false);  // the device's timed reboot is off
    ClickBox(Box(form, ids::time_reboot::kEnable));
    weekdays(false, true);
    ClickBox(Box(form, ids::time_reboot::kEveryday));
    weekdays(true, false);
    ClickBox(Box(form, ids::time_reboot::kWeekdays[2]));  // locked
    weekdays(true, false);
    Edit(form, ids::time_reboot::kHour).setText("2");
    Edit(form, ids::time_reboot::kMinute).setText("30");
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(target.sent.size(), 1u);
    EXPECT_TRUE(target.sent[0].restart_changed);
    EXPECT_EQ(target.sent[0].restart_block, (RestartBlock{1, 0xFE, 150, 0}));
    EXPECT_FALSE(target.sent[0].vlan_changed || target.sent[0].ip_changed || target.sent[0].wireless_changed);

    auto again = Open(Device5());
    QWidget* second = again->TimeRebootForm();
    QTest::mouseClick(again->Tab(actions::ConfigForm::kTimedReboot), Qt::LeftButton);
    ClickBox(Box(second, ids::time_reboot::kEnable));
    ClickBox(Box(second, ids::time_reboot::kEveryday));
    ClickBox(Box(second, ids::time_reboot::kEveryday));
    for (int id : ids::time_reboot::kWeekdays) {
        EXPECT_FALSE(Box(second, id).isChecked());
        EXPECT_TRUE(Box(second, id).isEnabled());
    }
}

TEST_F(ConfigDialog, WirelessControlsFollowTheChoices) {
    auto dialog = Open(Device5());
    QWidget* form = dialog->WirelessForm();
    auto radio = [&](int id) -> QRadioButton& { return *DlgItem<QRadioButton>(form, id); };
    EXPECT_EQ(DlgItem<QLabel>(form, ids::wireless_set::kWidthThirdLabel)->text(), "80MHz");
    EXPECT_EQ(DlgItem<QLabel>(form, ids::wireless_set::kPowerRange)->text(), "(8-26)");
    EXPECT_TRUE(radio(ids::wireless_set::kWidth40).isChecked());
    EXPECT_EQ(Combo(form, ids::wireless_set::kExtension).currentText(), "40");

    // 11a allows 20 MHz only and starts the channel again from "Auto".
    Choose(Combo(form, ids::wireless_set::kNetworkMode), "11a");
    EXPECT_TRUE(radio(ids::wireless_set::kWidth20).isChecked());
    EXPECT_FALSE(radio(ids::wireless_set::kWidth40).isEnabled());
    EXPECT_EQ(Combo(form, ids::wireless_set::kChannel).currentText(), "Auto");
    EXPECT_FALSE(Combo(form, ids::wireless_set::kExtension).isEnabled());
    Choose(Combo(form, ids::wireless_set::kNetworkMode), "11a/n");
    QTest::mouseClick(&radio(ids::wireless_set::kWidth40), Qt::LeftButton);
    Choose(Combo(form, ids::wireless_set::kChannel), "149");
    EXPECT_EQ(Combo(form, ids::wireless_set::kExtension).currentText(), "153");
    QStringList channels;
    for (int i = 0; i < Combo(form, ids::wireless_set::kChannel).count(); ++i)
        channels << Combo(form, ids::wireless_set::kChannel).itemText(i);
    EXPECT_EQ(channels, QStringList({"Auto", "36", "40", "44", "48", "149", "153", "157", "161"}));

    // The security mode shows the pre-shared key, the WEP or the WPA sub-form, or none.
    auto shown = [&] {
        return std::array<bool, 3>{DlgItemWidget(form, ids::wireless_set::kPskKey)->isVisible(),
                                   dialog->WirelessForm()->WepForm()->isVisible(),
                                   dialog->WirelessForm()->WpaForm()->isVisible()};
    };
    EXPECT_EQ(shown(), (std::array<bool, 3>{true, false, false}));
    Choose(Combo(form, ids::wireless_set::kSecurityMode), "WEP");
    EXPECT_EQ(shown(), (std::array<bool, 3>{false, true, false}));
    EXPECT_FALSE(DlgItemWidget(form, ids::wireless_set::kPskKeyLabel)->isVisible());
    Choose(Combo(form, ids::wireless_set::kSecurityMode), "WPA2");
    EXPECT_EQ(shown(), (std::array<bool, 3>{false, false, true}));
    Choose(Combo(form, ids::wireless_set::kSecurityMode), "None");
    EXPECT_EQ(shown(), (std::array<bool, 3>{false, false, false}));

    // A station is shown, not edited.
    ap_info_stu station = Device5();
    station.work_mode = 2;
    auto stationDialog = Open(station);
    for (int id : {ids::wireless_set::kLocation, ids::wireless_set::kChannel, ids::wireless_set::kPskKey})
        EXPECT_FALSE(DlgItemWidget(stationDialog->WirelessForm(), id)->isEnabled()) << id;
    EXPECT_FALSE(stationDialog->WirelessForm()->WepForm()->isEnabled());
}

// Every text the dialog and its forms show through the language files has an entry in each
// shipped file: the template texts and the combo entries that are translated.
TEST(ConfigTexts, EveryTranslatedTextIsInBothLanguageFiles) {
    std::set<std::string> keys;
    for (int id : {ids::kManagementConfigDlg, ids::kWirelessSetDlg, ids::kWepDlg, ids::kWpaDlg, ids::kIpSetDlg,
                   ids::kVlanDlg, ids::kTimeRebootDlg}) {
        const DialogTemplate* tpl = FindDialogTemplate(id);
        ASSERT_NE(tpl, nullptr) << id;
        if (*tpl->title)
            keys.insert(tpl->title);
        for (const ControlTemplate& control : tpl->controls)
            if (control.text && *control.text)
                keys.insert(control.text);
    }
    std::vector<actions::Choices> translated = {actions::WepDefaultKeyChoices(1), actions::ChannelChoices("0", 0)};
    for (actions::RadioBand band : {actions::RadioBand::kGhz24, actions::RadioBand::kGhz5}) {
        translated.push_back(actions::NetworkModeChoices(band, 0));
        translated.push_back(actions::CountryChoices(band, std::nullopt));
        keys.insert(std::string(actions::InitialWidthRadios(band).thirdLabel));
    }
    for (const actions::Choices& choices : translated)
        for (const actions::ChoiceEntry& entry : choices.entries)
            if (entry.translate)
                keys.insert(entry.text);
    const std::filesystem::path languages = std::filesystem::path(CPE_SOURCE_DIR) / "resources" / "Languages";
    for (const char* file : {"English.lng", "Chinese.lng"})
        for (const std::string& key : keys)
            EXPECT_NE(platform::GetPrivateProfileString("ProgramOutStr", key, "\x01", 1024, languages / file), "\x01")
                << file << " lacks \"" << key << "\"";
}

}  // namespace
}  // namespace cpe::test
