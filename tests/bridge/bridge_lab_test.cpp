// The bridge page and wizard against cpe-sim inside the network lab: a CPE surveys the simulated
// fleet (a survey of several packets), the operator picks one of its access points, enters its key
// and saves; the simulated device becomes that access point's station, its row shows "Bridge
// success", and once its next record is in, the store sees the pair. A device that refuses the
// bridge shows "Bridge fail". Screenshots of the page and the four steps, in English and Chinese,
// go to CPE_SHOT_DIR.
#include "bridge/bridge_config_dlg.h"
#include "bridge/bridge_dlg.h"
#include "bridge/bridge_finish_dlg.h"
#include "bridge/bridge_secure_dlg.h"
#include "bridge/bridge_survey_dlg.h"
#include "bridge/bridge_wep_dlg.h"
#include "lang/language.h"
#include "platform/codepage.h"
#include "platform/system_info.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/page_text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <filesystem>

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;

constexpr int kDevices = 20;
constexpr int kInvented = 30;
// The fleet's access points are every device i with i % 5 of 0 or 2 (sim/README.md).
constexpr int kFleetAps = 8;
constexpr int kStation = 4;  // model 5 (set B), mode switch 0: surveys until the last packet
constexpr int kAp = 2;       // WPA-PSK/AES, key "lab-passphrase-2", an SSID with CJK ideographs
constexpr int kRefuser = 0;  // model 1, mode switch 0: surveys for one fixed wait
constexpr int kOtherAp = 5;  // WPA2-PSK/TKIP, key "lab-passphrase-5"

// Device i of the simulated fleet.
std::string SimMac(int i) {
    char text[18];
    std::snprintf(text, sizeof text, "02:c9:5e:00:00:%02x", i + 1);
    return text;
}

std::string ProgramDir() { return std::string(CPE_SOURCE_DIR) + "/resources/"; }

void ClickCell(CGridCtrl& grid, int row, int col) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, col).center());
}

void SaveShot(QWidget& window, const std::string& name) {
    const std::filesystem::path dir = CPE_SHOT_DIR;
    std::filesystem::create_directories(dir);
    const auto file = dir / name;
    QTest::qWait(50);  // pending layouts (scroll bars) first
    EXPECT_TRUE(window.grab().save(QString::fromStdString(file.string()))) << file;
    std::printf("screenshot: %s\n", file.c_str());
}

class BridgeLab : public LabTest {
protected:
    // The program's texts and skin in one language.
    void UseLanguage(std::uint16_t lcid) {
        InitLanguage(ProgramDir(), lcid);
        LoadSkinSettings(skin_, ProgramDir(), platform::VersionText());
        InitSkinPaths(skin_, ProgramDir(), lcid);
        InstallSkin(&skin_);
    }

    void SetUp() override {
        LabTest::SetUp();
        if (IsSkipped())
            return;
        platform::SetAnsiCodeset("UTF-8");
        UseLanguage(1033);
        StartAndDiscover({"--devices", std::to_string(kDevices), "--survey-invented", std::to_string(kInvented),
                          "--apply-ms", "100", "--reboot-ms", "500"},
                         kDevices);
    }

    void TearDown() override {
        page_.reset();
        InstallSkin(nullptr);
        platform::SetAnsiCodeset("");
    }

    CBridgeDlg& Page() {
        if (!page_) {
            page_ = std::make_unique<CBridgeDlg>(nullptr, host_, PageServices{utility_->Engine(), utility_->Store()});
            // Model set B looks for the survey's end every 200 ms; the others wait 2 s.
            page_->SetTimings({200ms, 2000ms, 1000ms});
            page_->show();
        }
        page_->RefreshList();
        return *page_;
    }

    int RowOf(const std::string& mac) {
        const QString text = QString::fromStdString(mac);
        const int col = page_->Traits().ColumnOf(ListColumn::kMac);
        for (int row = 1; row < page_->Grid()->GetRowCount(); ++row)
            if (page_->Grid()->GetItemText(row, col) == text)
                return row;
        return -1;
    }
    QString StatusOf(const std::string& mac) {
        const int row = RowOf(mac);
        return row > 0 ? page_->Grid()->GetItemText(row, page_->Traits().ColumnOf(ListColumn::kStatus)) : QString();
    }

    // Opens the wizard of device i and waits for its survey to be listed.
    CBridgeConfigDlg& OpenWizard(int i) {
        CBridgeDlg& page = Page();
        const int row = RowOf(SimMac(i));
        EXPECT_GT(row, 0);
        ClickCell(*page.Grid(), row, page.Traits().ColumnOf(ListColumn::kOperate));
        CBridgeConfigDlg* wizard = page.Wizard();
        EXPECT_NE(wizard, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !wizard->SurveyStep()->IsScanning(); }, 10000));
        return *wizard;
    }

    // Ticks the survey row of access point i; false when the survey does not list it.
    static bool TickAccessPoint(CBridgeConfigDlg& wizard, int i) {
        CGridCtrl& grid = *wizard.SurveyStep()->Grid();
        for (int row = 1; row < grid.GetRowCount(); ++row) {
            if (grid.GetItemText(row, CBridgeSearcgAPDlg::kMac).toStdString() == SimMac(i)) {
                ClickCell(grid, row, CBridgeSearcgAPDlg::kSelect);
                return wizard.SurveyStep()->CheckedMac() == SimMac(i);
            }
        }
        return false;
    }
    static void Next(CBridgeConfigDlg& wizard) { QTest::mouseClick(wizard.NextButton(), Qt::LeftButton); }

    static inline SkinSettings skin_;
    test::FakeHost host_;
    std::unique_ptr<CBridgeDlg> page_;
};

TEST_F(BridgeLab, ACpeSurveysBridgesToTheAccessPointPickedAndTheStoreSeesThePair) {
    const std::string station = SimMac(kStation);
    const std::string ap = SimMac(kAp);
    CBridgeConfigDlg& wizard = OpenWizard(kStation);
    const int rows = wizard.SurveyStep()->Grid()->GetRowCount() - 1;
    EXPECT_EQ(rows, kFleetAps + kInvented) << "every packet of the survey is listed";
    EXPECT_GT(rows, 32) << "the survey needs more than one packet";

    ASSERT_TRUE(TickAccessPoint(wizard, kAp));
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kSecurity);
    CBridgeSecureDlg& secure = *wizard.SecurityStep();
    const sim::JsonValue apState = sim_->Device(ap);
    EXPECT_EQ(secure.SsidEdit()->text().toStdString(), apState["ssid"].Str());
    EXPECT_EQ(secure.SecurityModeList()->currentText(), "WPA-PSK");
    EXPECT_TRUE(secure.CipherRadio(actions::kCipherAes)->isChecked());
    secure.KeyEdit()->setText("lab-passphrase-2");
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kIp);
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kFinish);
    Next(wizard);
    // The wizard shows the connected station once the device reported success; Next closes it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return wizard.FinishStep()->ConnectedPicture()->isVisible(); }, 5000));
    Next(wizard);
    EXPECT_FALSE(wizard.isVisible());

    ASSERT_TRUE(WaitUntil([&] { return sim_->Device(station)["work_mode"].Int() == 2; }, 5s));
    const sim::JsonValue state = sim_->Device(station);
    EXPECT_EQ(state["bridge_work_mode"].Int(), 2);
    EXPECT_EQ(state["bridge_mac"].Str(), ap);
    EXPECT_EQ(state["bridge_ssid"].Str(), apState["ssid"].Str());
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusOf(station) == PageText("Bridge success"); }, 5000))
        << StatusOf(station).toStdString();
    SaveShot(*page_, "bridge-page-success-1033.png");

    // The store learns the new bridge from the device's next record (here: after a reboot).
    utility_->Engine().SendRebootRestore({{station, state["ip"].Str()}}, MessageType::reboot);
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto row = utility_->Row(station);
            return row && row->ap_status.get() == 1 && row->work_mode == 2;
        },
        15s));
    CSqlManagement& store = utility_->Store();
    EXPECT_TRUE(store.HasBridgedStations(ap));
    std::string peer;
    ASSERT_TRUE(store.FindBridgePeer(station, peer));
    EXPECT_EQ(peer, ap);
    ASSERT_TRUE(store.FindBridgePeer(ap, peer));
    EXPECT_EQ(peer, station);
}

TEST_F(BridgeLab, ADeviceThatRefusesTheBridgeShowsBridgeFail) {
    const std::string refuser = SimMac(kRefuser);
    const std::optional<sim::JsonValue> refused = sim_->Request("refuse-bridge " + refuser);
    ASSERT_TRUE(refused && (*refused)["ok"].Boolean());
    CBridgeConfigDlg& wizard = OpenWizard(kRefuser);
    EXPECT_EQ(wizard.SurveyStep()->Grid()->GetRowCount() - 1, kFleetAps - 1 + kInvented) << "all but itself";
    ASSERT_TRUE(TickAccessPoint(wizard, kOtherAp));
    Next(wizard);
    EXPECT_EQ(wizard.SecurityStep()->SecurityModeList()->currentText(), "WPA2-PSK");
    wizard.SecurityStep()->KeyEdit()->setText("lab-passphrase-5");
    Next(wizard);
    Next(wizard);
    ASSERT_EQ(wizard.Step(), actions::BridgeStep::kFinish);
    Next(wizard);
    const QString failed = PageText(std::string(actions::AnswerKey(actions::BridgeAnswer::kFailed)).c_str());
    EXPECT_TRUE(QTest::qWaitFor([&] { return wizard.FinishStep()->AnswerLine()->text() == failed; }, 5000));
    EXPECT_FALSE(wizard.FinishStep()->ConnectedPicture()->isVisible());
    Next(wizard);

    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusOf(refuser) == PageText("Bridge fail"); }, 5000))
        << StatusOf(refuser).toStdString();
    const sim::JsonValue state = sim_->Device(refuser);
    EXPECT_EQ(state["work_mode"].Int(), 1);
    EXPECT_EQ(state["received"]["bridge"].Int(), 1);
}

TEST_F(BridgeLab, ScreenshotsOfTheFourStepsInEnglishAndChinese) {
    for (std::uint16_t lcid : {std::uint16_t{1033}, std::uint16_t{2052}}) {
        UseLanguage(lcid);
        page_.reset();
        const std::string suffix = "-" + std::to_string(lcid) + ".png";
        CBridgeConfigDlg& wizard = OpenWizard(kStation);
        SaveShot(wizard, "bridge-0-nothing-chosen" + suffix);  // Next disabled
        ASSERT_TRUE(TickAccessPoint(wizard, kAp));
        SaveShot(wizard, "bridge-1-survey" + suffix);
        Next(wizard);
        wizard.SecurityStep()->KeyEdit()->setText("lab-passphrase-2");
        SaveShot(wizard, "bridge-2-security" + suffix);
        wizard.SecurityStep()->SecurityModeList()->setCurrentIndex(1);
        wizard.SecurityStep()->WepForm()->KeyEdit(0)->setText("0123456789");
        wizard.SecurityStep()->WepForm()->KeyTypeList(0)->setCurrentIndex(1);
        SaveShot(wizard, "bridge-2-security-wep" + suffix);
        wizard.SecurityStep()->SecurityModeList()->setCurrentIndex(2);
        Next(wizard);
        ASSERT_EQ(wizard.Step(), actions::BridgeStep::kIp);
        SaveShot(wizard, "bridge-3-ip" + suffix);
        Next(wizard);
        ASSERT_EQ(wizard.Step(), actions::BridgeStep::kFinish);
        SaveShot(wizard, "bridge-4-finish" + suffix);
        Next(wizard);
        ASSERT_TRUE(QTest::qWaitFor([&] { return wizard.FinishStep()->ConnectedPicture()->isVisible(); }, 5000));
        SaveShot(wizard, "bridge-5-connected" + suffix);
        wizard.OnClose();
        SaveShot(*page_, "bridge-page" + suffix);
    }
}

}  // namespace
}  // namespace cpe::lab
