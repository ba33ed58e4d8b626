// The bridge wizard's windows: how its survey step waits and lists, the one-tick rule and the
// Back/Next/Save rules, the checks that stop a step with their message boxes, the request Save
// sends (field by field), and the close box that sends nothing.
#include "actions/config/config_messages.h"
#include "bridge/bridge_finish_dlg.h"
#include "bridge/bridge_ip_dlg.h"
#include "bridge/bridge_secure_dlg.h"
#include "bridge/bridge_wep_dlg.h"
#include "platform/codepage.h"
#include "tests/bridge/bridge_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace cpe::test {
namespace {

constexpr int kSetBModel = 4;

class BridgeWizard : public BridgeTest {
protected:
    void SetUp() override { platform::SetAnsiCodeset("UTF-8"); }
    void TearDown() override { platform::SetAnsiCodeset(""); }

    // Device 1 (model set B unless told otherwise) with a wizard open and its survey listed.
    CBridgeConfigDlg& OpenWithSurvey(CBridgeDlg& page, const std::vector<config_otherwl_basic>& heard,
                                     int model = kSetBModel) {
        CBridgeConfigDlg* wizard = Operate(page, 1);
        EXPECT_NE(wizard, nullptr);
        DeliverSurvey(1, heard, model);
        EXPECT_TRUE(WaitForScanEnd(*wizard));
        return *wizard;
    }

    std::vector<SentDatagram> WaitForBridge() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !Sent(MessageType::bridge).empty(); }, 2000));
        return Sent(MessageType::bridge);
    }

    std::size_t SurveyTableRows() {
        std::vector<config_otherwl_basic> rows;
        store_->GetSurveyList(rows);
        return rows.size();
    }
};

TEST_F(BridgeWizard, ModelSetBListsAtTheTickAfterTheLastPacketOrGivesUpAfterThirtyTicks) {
    AddDevice(1, 0, kSetBModel);
    auto page = MakeBridgePage();
    CBridgeConfigDlg* wizard = Operate(*page, 1);
    ASSERT_NE(wizard, nullptr);
    CBridgeSearcgAPDlg& survey = *wizard->SurveyStep();
    EXPECT_TRUE(survey.IsScanning());
    EXPECT_TRUE(survey.BusyPicture()->isVisible());
    EXPECT_FALSE(survey.RefreshButton()->isVisible());
    EXPECT_FALSE(wizard->NextButton()->isEnabled());
    EXPECT_FALSE(wizard->BackButton()->isVisible());

    QTest::qWait(70);
    ASSERT_TRUE(survey.IsScanning());
    DeliverSurvey(1, {HeardAp(1), HeardAp(2), HeardAp(3)}, kSetBModel);
    ASSERT_TRUE(WaitForScanEnd(*wizard));
    EXPECT_LT(survey.Wait().Ticks(), 10);
    EXPECT_EQ(SurveyRows(*wizard), 3);
    EXPECT_FALSE(survey.BusyPicture()->isVisible());
    EXPECT_TRUE(survey.RefreshButton()->isVisible());

    // A rescan of a device that never answers ends after 30 ticks with an empty list.
    QTest::mouseClick(survey.RefreshButton(), Qt::LeftButton);
    EXPECT_EQ(SurveyRows(*wizard), 0);
    ASSERT_TRUE(WaitForScanEnd(*wizard));
    EXPECT_EQ(survey.Wait().Ticks(), actions::kSurveyMaxTicks);
    EXPECT_EQ(SurveyRows(*wizard), 0);
    EXPECT_FALSE(wizard->NextButton()->isEnabled());
    EXPECT_EQ(Sent(MessageType::site_survey).size(), 2u);
}

TEST_F(BridgeWizard, OtherModelsWaitTheWholeTimeEvenWhenTheSurveyCameEarly) {
    AddDevice(1, 0, 1);
    auto page = MakeBridgePage();
    actions::BridgeTimings timings = kFastTimings;
    timings.surveyWait = std::chrono::milliseconds(1000);
    page->SetTimings(timings);
    CBridgeConfigDlg* wizard = Operate(*page, 1);
    ASSERT_NE(wizard, nullptr);
    DeliverSurvey(1, {HeardAp(1)}, 1);
    QTest::qWait(100);
    EXPECT_TRUE(wizard->SurveyStep()->IsScanning()) << "the list waits for the full period";
    EXPECT_EQ(SurveyRows(*wizard), 0);
    ASSERT_TRUE(WaitForScanEnd(*wizard));
    EXPECT_EQ(wizard->SurveyStep()->Wait().Ticks(), 1);
    EXPECT_EQ(SurveyRows(*wizard), 1);
}

TEST_F(BridgeWizard, ARescanListsOnlyItsOwnSurveyAndNoOtherDevicesReply) {
    AddDevice(1, 0, kSetBModel);
    AddDevice(2);
    auto page = MakeBridgePage();
    CBridgeConfigDlg& wizard = OpenWithSurvey(*page, {HeardAp(1), HeardAp(2)});
    ASSERT_EQ(SurveyRows(wizard), 2);
    QTest::mouseClick(wizard.SurveyStep()->RefreshButton(), Qt::LeftButton);
    DeliverSurvey(2, {HeardAp(7), HeardAp(8)});  // a late reply to another device's survey
    DeliverSurvey(1, {HeardAp(3)}, kSetBModel);
    ASSERT_TRUE(WaitForScanEnd(wizard));
    ASSERT_EQ(SurveyRows(wizard), 1);
    EXPECT_EQ(wizard.SurveyStep()->Grid()->GetItemText(1, CBridgeSearcgAPDlg::kSsid), "ap-3");
}

TEST_F(BridgeWizard, GridShowsTheSurveyAndAtMostOneTickEnablesNext) {
    AddDevice(1, 0, kSetBModel);
    auto page = MakeBridgePage();
    CBridgeConfigDlg& wizard = OpenWithSurvey(
        *page, {HeardAp(1, 10, 0, -75), HeardAp(2, 12, 11, -74), HeardAp(3, 7, 6, -60), HeardAp(4, 1, 6, -59)});
    CGridCtrl& grid = *wizard.SurveyStep()->Grid();
    ASSERT_EQ(SurveyRows(wizard), 4);
    EXPECT_EQ(grid.GetItemText(1, CBridgeSearcgAPDlg::kSsid), "ap-1");
    EXPECT_EQ(grid.GetItemText(1, CBridgeSearcgAPDlg::kChannel), "0");
    EXPECT_EQ(grid.GetItemText(1, CBridgeSearcgAPDlg::kMac), "02:aa:00:00:00:01");
    EXPECT_EQ(grid.GetItemText(3, CBridgeSearcgAPDlg::kSecure), "WPA/WPA2-PSK/AES");
    const int images[] = {1, 3, 3, 5};
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(grid.GetCell(row, CBridgeSearcgAPDlg::kSignal)->GetImage(), images[row - 1]) << row;
        EXPECT_FALSE(grid.GetCheckCell(row)->GetCheck());
    }

    EXPECT_FALSE(wizard.NextButton()->isEnabled());
    Tick(wizard, 2);
    EXPECT_TRUE(wizard.NextButton()->isEnabled());
    Tick(wizard, 2);
    EXPECT_FALSE(wizard.NextButton()->isEnabled());
    Tick(wizard, 1);
    Tick(wizard, 3);
    EXPECT_FALSE(grid.GetCheckCell(1)->GetCheck());
    EXPECT_TRUE(grid.GetCheckCell(3)->GetCheck());
    EXPECT_EQ(wizard.SurveyStep()->CheckedMac(), "02:aa:00:00:00:03");
    EXPECT_TRUE(wizard.NextButton()->isEnabled());
    ClickCell(grid, 1, CBridgeSearcgAPDlg::kSsid);
    EXPECT_EQ(wizard.SurveyStep()->CheckedMac(), "02:aa:00:00:00:03") << "only the Select column ticks";
}

TEST_F(BridgeWizard, StepsBackAndForthWithTheirButtonsAndPresetsFromTheAccessPointTicked) {
    AddDevice(1, 0, kSetBModel, 0);
    auto page = MakeBridgePage();
    CBridgeConfigDlg& wizard = OpenWithSurvey(*page, {HeardAp(1, 10, 6), HeardAp(2, 1, 52)});
    Tick(wizard, 1);
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kSecurity);
    CBridgeSecureDlg& secure = *wizard.SecurityStep();
    EXPECT_TRUE(secure.isVisible());
    EXPECT_FALSE(wizard.SurveyStep()->isVisible());
    EXPECT_TRUE(wizard.BackButton()->isVisible());
    EXPECT_EQ(secure.SsidEdit()->text(), "ap-1");
    EXPECT_EQ(secure.ChannelList()->currentText(), "6");
    EXPECT_EQ(secure.SecurityModeList()->currentText(), "WPA-PSK");
    EXPECT_TRUE(secure.CipherRadio(actions::kCipherTkipAes)->isChecked());
    EXPECT_TRUE(secure.KeyEdit()->isVisible());
    EXPECT_FALSE(secure.WepForm()->isVisible());

    Back(wizard);
    EXPECT_EQ(wizard.Step(), actions::BridgeStep::kSurvey);
    EXPECT_FALSE(wizard.BackButton()->isVisible());
    EXPECT_TRUE(wizard.NextButton()->isEnabled()) << "the tick stays";
    Tick(wizard, 2);
    Next(wizard);
    EXPECT_EQ(secure.SsidEdit()->text(), "ap-2");
    EXPECT_EQ(secure.ChannelList()->currentData().toInt(), 0) << "52 is not a 2.4 GHz channel";
    EXPECT_EQ(secure.SecurityModeList()->currentText(), "WEP");
    EXPECT_FALSE(secure.KeyEdit()->isVisible());
    EXPECT_TRUE(secure.WepForm()->isVisible());

    secure.SecurityModeList()->setCurrentIndex(0);
    EXPECT_FALSE(secure.WepForm()->isVisible());
    EXPECT_FALSE(secure.KeyEdit()->isEnabled());
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kIp);
    EXPECT_EQ(wizard.IpStep()->AddressField(0)->text(), "10.1.0.1");
    wizard.IpStep()->AddressField(0)->setText("10.1.0.77");
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kFinish);
    EXPECT_EQ(wizard.NextButton()->text(), "Save");
    Back(wizard);
    EXPECT_EQ(wizard.NextButton()->text(), "Next");
    Back(wizard);
    Next(wizard);
    EXPECT_EQ(wizard.IpStep()->AddressField(0)->text(), "10.1.0.1") << "the IP step starts again from the device";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BridgeWizard, FailedChecksKeepTheStepAndShowTheirMessage) {
    AddDevice(1, 0, kSetBModel);
    AddDevice(2);
    auto page = MakeBridgePage();
    CBridgeConfigDlg& wizard = OpenWithSurvey(*page, {HeardAp(1, 2)});
    Tick(wizard, 1);
    Next(wizard);
    CBridgeSecureDlg& secure = *wizard.SecurityStep();

    secure.SsidEdit()->setText(QString(11, QChar(0x4E2D)));
    Next(wizard);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              QString::fromUtf8(actions::message::kSsidTooLong.data(), actions::message::kSsidTooLong.size()));
    EXPECT_EQ(boxes[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(wizard.Step(), actions::BridgeStep::kSecurity);

    secure.SsidEdit()->setText(QString(10, QChar(0x4E2D)));
    secure.SecurityModeList()->setCurrentIndex(1);
    secure.WepForm()->DefaultKeyList()->setCurrentIndex(2);
    Next(wizard);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Please enter the WEP key3!");
    EXPECT_EQ(boxes[1].icon, MessageIcon::kExclamation);

    secure.WepForm()->KeyEdit(2)->setText("abcde");
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kIp);
    wizard.IpStep()->AddressField(2)->setText("0.0.0.0");
    Next(wizard);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text,
              QString::fromUtf8(actions::message::kGatewayInvalid.data(), actions::message::kGatewayInvalid.size()));
    EXPECT_EQ(boxes[2].icon, MessageIcon::kExclamation);
    wizard.IpStep()->AddressField(2)->setText("10.1.0.254");
    wizard.IpStep()->AddressField(0)->setText("10.1.0.2");
    Next(wizard);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text, QString::fromUtf8(actions::message::kIpInUse.data(), actions::message::kIpInUse.size()));
    EXPECT_EQ(wizard.Step(), actions::BridgeStep::kIp);
    EXPECT_EQ(wizard.IpStep()->AddressField(0)->text(), "10.1.0.2") << "the entries stay as typed";
    EXPECT_TRUE(Sent(MessageType::bridge).empty());
}

TEST_F(BridgeWizard, SaveSendsOneBridgeRequestWithTheBlocksOfTheSteps) {
    AddDevice(1, 0, kSetBModel, 1);
    auto page = MakeBridgePage();
    CBridgeConfigDlg& wizard = OpenWithSurvey(*page, {HeardAp(1), HeardAp(9, 5, 149)});
    Tick(wizard, 2);
    Next(wizard);
    CBridgeSecureDlg& secure = *wizard.SecurityStep();
    secure.SsidEdit()->setText(QString::fromUtf8("\xE4\xB8\xAD-mast"));
    secure.KeyEdit()->setText("correct horse");
    Next(wizard);
    wizard.IpStep()->AddressField(0)->setText("10.1.0.50");
    wizard.IpStep()->AddressField(4)->setText("10.1.0.9");
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kFinish);
    ASSERT_EQ(SurveyTableRows(), 2u);
    // Before Save: the summary of what goes out, no success mark.
    CBridgeFinishDlg& finish = *wizard.FinishStep();
    EXPECT_EQ(wizard.StepLabel()->text(), "Step 4 of 4");
    EXPECT_EQ(finish.SummaryValue(0)->text(), QString::fromStdString(FormatMac(HeardAp(9).mac)));
    EXPECT_EQ(finish.SummaryValue(1)->text(), QString::fromUtf8("\xE4\xB8\xAD-mast"));
    EXPECT_EQ(finish.SummaryValue(2)->text(), "149");
    EXPECT_EQ(finish.SummaryValue(3)->text(), "WPA2-PSK, TKIP");
    EXPECT_EQ(finish.SummaryValue(4)->text(), "10.1.0.50");
    EXPECT_FALSE(finish.ConnectedPicture()->isVisible());
    Next(wizard);
    // Sent: the wizard waits for the device's answer, still without the success mark.
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_FALSE(finish.ConnectedPicture()->isVisible());
    EXPECT_FALSE(wizard.BackButton()->isVisible());
    EXPECT_EQ(wizard.NextButton()->text(), "Close");
    EXPECT_EQ(SurveyTableRows(), 0u);

    const auto sent = WaitForBridge();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].ip, "10.1.0.1");
    ASSERT_EQ(sent[0].payload.size(), 326u);
    const auto block = ReadRecord<bridge_block>(sent[0].payload);
    EXPECT_EQ(block.bridge_work_mode, 2);
    EXPECT_EQ(block.bridge_mac, HeardAp(9).mac);
    EXPECT_EQ(block.bridge_channel, 149);
    EXPECT_EQ(block.bridge_ssid.view(), "\xE4\xB8\xAD-mast");
    EXPECT_EQ(block.bridge_ssid.len, 8);
    const security_block& s = block.security;
    EXPECT_EQ(s.secure_mode, 3);
    EXPECT_EQ(s.wpapsk_auth_type, actions::kCipherTkip);
    EXPECT_EQ(s.wpapsk_key_value.view(), "correct horse");
    EXPECT_EQ(s.wpapsk_key_value.len, 13);
    EXPECT_EQ(s.wpapsk_key_time.get(), 0u);
    EXPECT_EQ(s.wep_key_index, 0);
    EXPECT_EQ(s.wpa_radius_ip, (RawIp{0, 0, 0, 0}));
    EXPECT_EQ(s.wpa_radius_port.get(), 0);
    EXPECT_EQ(s.wpa_key.len, 0);
    EXPECT_EQ(s.wpa_key_time.get(), 0u);
    const std::vector<std::uint8_t> ip(sent[0].payload.begin() + 304, sent[0].payload.end());
    EXPECT_EQ(
        ip, (std::vector<std::uint8_t>{1, 10, 1, 0, 50, 255, 255, 0, 0, 10, 1, 0, 254, 10, 1, 0, 254, 10, 1, 0, 9, 0}));
    EXPECT_EQ(wizard.SavedTarget().mac, DeviceMac(1));

    // The device's answer turns the wizard's line into success and shows the mark; the page shows
    // the status one refresh after the wizard closes.
    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(1), 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return finish.ConnectedPicture()->isVisible(); }, 3000));
    Next(wizard);
    EXPECT_FALSE(wizard.isVisible());
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Cell(*page, RowOf(*page, 1), ListColumn::kStatus) == "Bridge success"; }, 2000));
    EXPECT_TRUE(host_.autoRefresh);
}

TEST_F(BridgeWizard, TheCloseBoxAtAnyStepSendsNothingAndForgetsTheSurvey) {
    AddDevice(1, 0, kSetBModel);
    auto page = MakeBridgePage();
    for (actions::BridgeStep last : {actions::BridgeStep::kSurvey, actions::BridgeStep::kSecurity,
                                     actions::BridgeStep::kIp, actions::BridgeStep::kFinish}) {
        CBridgeConfigDlg& wizard = OpenWithSurvey(*page, {HeardAp(1)});
        Tick(wizard, 1);
        while (wizard.Step() != last)
            Next(wizard);
        ASSERT_EQ(SurveyTableRows(), 1u);
        QTest::mouseClick(wizard.CloseButton(), Qt::LeftButton);
        EXPECT_EQ(wizard.result(), QDialog::Rejected);
        EXPECT_EQ(SurveyTableRows(), 0u);
    }
    QTest::qWait(20);
    EXPECT_TRUE(Sent(MessageType::bridge).empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BridgeWizard, ClosingDuringAScanStopsIt) {
    AddDevice(1, 0, kSetBModel);
    auto page = MakeBridgePage();
    CBridgeConfigDlg* wizard = Operate(*page, 1);
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(wizard->SurveyStep()->IsScanning());
    wizard->OnClose();
    EXPECT_FALSE(wizard->SurveyStep()->IsScanning());
}

}  // namespace
}  // namespace cpe::test
