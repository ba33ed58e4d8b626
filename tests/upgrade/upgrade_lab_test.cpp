// Firmware upgrades through the real upgrade page and dialog, in the network lab: the real
// engine and store, the real helper programs on their standard ports, simulated devices that
// fetch the image and report back. The dialog's timers run twenty times faster than in the
// program; the batches, the helpers and the devices' fetches are the real ones. Screenshots of
// the page and of the dialog in both phases go to CPE_SHOT_DIR.
#include <signal.h>

#include <QComboBox>
#include <QProgressBar>

#include <set>

#include "engine/payload_blocks.h"
#include "lang/language.h"
#include "pages/code_texts.h"
#include "platform/system_info.h"
#include "protocol/codes.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/firmware_image.h"
#include "tests/upgrade/upgrade_fixture.h"
#include "ui/skin_settings.h"

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;
using actions::UpgradePhase;
using test::WhenModalOpens;

void ClickCell(CGridCtrl& grid, int row, int col) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, col).center());
}

// What the test saw while the dialog ran.
struct Watched {
    std::vector<actions::UpgradeBatch> batches;
    std::set<std::string> succeeded;       // "Upgrade success" in the store at some moment
    std::set<std::string> shownSucceeded;  // ... and in the page's Status column
    pid_t helper = 0;
    bool shotTransfer = false;
    bool shotFlashing = false;
    bool shotPage = false;
};

class UpgradeLab : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        if (IsSkipped())
            return;
        layout_.serviceDir = CPE_HELPER_DIR;
        layout_.iniDir = ini_.path();
        helpers_ = std::make_unique<actions::COperateSystemInfo>(layout_);
        for (auto* period :
             {&timings_.transferPeriod, &timings_.flashPeriod, &timings_.followUpPeriod, &timings_.statusPeriod})
            *period = 50ms;
        timings_.fileServerFirstWait = 150ms;
        timings_.fileServerRetryWait = 50ms;
        SetMessageBoxHook([](const MessageBoxRequest&) { return IDOK; });
    }
    void TearDown() override {
        SetMessageBoxHook({});
        page_.reset();
        InstallSkin(nullptr);
        InitLanguage(std::string(CPE_SOURCE_DIR) + "/resources/", 1033);
    }

    // The shipped skin and texts of a language.
    void UseLanguage(std::uint16_t lcid) {
        const std::string programDir = std::string(CPE_SOURCE_DIR) + "/resources/";
        ASSERT_TRUE(InitLanguage(programDir, lcid));
        LoadSkinSettings(skin_, programDir, platform::VersionText());
        InitSkinPaths(skin_, programDir, lcid);
        InstallSkin(&skin_);
    }
    void WriteImage(const std::string& name, std::size_t size) { image_ = FirmwareImage(firmware_.path(), name, size); }
    // The page over the utility, its list sorted by model and showing `pageSize` rows, all ticked.
    void ShowPageTickingAll(int pageSize) {
        page_ = std::make_unique<CUpgradeDlg>(nullptr, host_, PageServices{utility_->Engine(), utility_->Store()});
        page_->SetUpgradeEnvironment(*helpers_, timings_);
        page_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page_.get()));
        page_->PageSizeList()->setCurrentIndex(page_->PageSizeList()->findText(QString::number(pageSize)));
        CGridCtrl& grid = *page_->Grid();
        ClickCell(grid, 0, page_->Traits().ColumnOf(ListColumn::kType));
        ClickCell(grid, 0, 0);
    }
    // Upgrades the ticked devices of `model` with the dialog, as the operator does, and watches.
    Watched UpgradeThroughTheDialog(int model, const char* shotPrefix) {
        Watched seen;
        WhenModalOpens<CUpgradeConfigDlg>([&](CUpgradeConfigDlg& dialog) {
            dialog.TypeList()->setCurrentIndex(dialog.TypeList()->findData(model));
            test::AnswerFileDialog(QString::fromStdString(image_.Path().string()));
            QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
            QTest::mouseClick(dialog.UpgradeButton(), Qt::LeftButton);
            if (!dialog.Run()) {
                ADD_FAILURE() << "the upgrade did not start";
                dialog.reject();
                return;
            }
            seen.helper = helpers_->FindProcess(IsModelSetB(model) ? "cpe-httpd" : "cpe-tftpd");
            Watch(dialog, seen, shotPrefix);
        });
        QTest::mouseClick(page_->UpgradeButton(), Qt::LeftButton);  // returns when the dialog closed
        return seen;
    }
    void Watch(CUpgradeConfigDlg& dialog, Watched& seen, const char* shotPrefix) {
        const auto deadline = std::chrono::steady_clock::now() + 150s;
        const QString success = QString::fromStdString(StatusText(8));
        while (!dialog.isHidden()) {
            const actions::UpgradeRun& run = *dialog.Run();
            if (static_cast<int>(seen.batches.size()) < run.BatchesSent())
                seen.batches.push_back(run.CurrentBatch());
            for (const actions::UpgradeBatch& batch : seen.batches)
                for (const actions::UpgradeTarget& t : batch)
                    if (utility_->Store().GetDeviceStatus(t.mac) == 8)
                        seen.succeeded.insert(t.mac);
            CGridCtrl& grid = *page_->Grid();
            const int statusColumn = page_->Traits().ColumnOf(ListColumn::kStatus);
            int shownRow = 0;
            for (int row = 1; row < grid.GetRowCount(); ++row) {
                if (grid.GetItemText(row, statusColumn) != success)
                    continue;
                seen.shownSucceeded.insert(
                    grid.GetItemText(row, page_->Traits().ColumnOf(ListColumn::kMac)).toStdString());
                shownRow = row;
            }
            if (!seen.shotTransfer && run.Phase() == UpgradePhase::kTransfer && run.ProgressPosition() >= 3) {
                Shot(dialog, shotPrefix, "transfer");
                seen.shotTransfer = true;
            }
            if (!seen.shotPage && shownRow > 0) {
                grid.EnsureVisible(shownRow, statusColumn);
                Shot(*page_, shotPrefix, "page");
                seen.shotPage = true;
            }
            if (!seen.shotFlashing && run.Phase() == UpgradePhase::kFlashing && run.ProgressPosition() >= 40) {
                Shot(dialog, shotPrefix, "flashing");
                seen.shotFlashing = true;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the upgrade did not end";
                dialog.reject();
                return;
            }
            QTest::qWait(20);
        }
    }
    static void Shot(QWidget& window, const char* prefix, const char* what) {
        const std::filesystem::path dir = CPE_SHOT_DIR;
        std::filesystem::create_directories(dir);
        const auto file = dir / (std::string(prefix) + "-" + what + ".png");
        EXPECT_TRUE(window.grab().save(QString::fromStdString(file.string()))) << file;
    }
    void ExpectFetched(const std::string& mac, const char* protocol) { image_.ExpectFetchedBy(*sim_, mac, protocol); }
    // The devices of a model among the ticked rows, and those of the others.
    std::pair<std::vector<std::string>, std::vector<std::string>> TickedByModel(int model) const {
        std::pair<std::vector<std::string>, std::vector<std::string>> split;
        for (const actions::UpgradeTarget& t : page_->CheckedTargets())
            (t.modelCode == model ? split.first : split.second).push_back(t.mac);
        return split;
    }
    static std::vector<std::size_t> Sizes(const std::vector<actions::UpgradeBatch>& batches) {
        std::vector<std::size_t> sizes;
        for (const auto& b : batches)
            sizes.push_back(b.size());
        return sizes;
    }

    test::TempDir ini_, firmware_;
    actions::HelperLayout layout_;
    std::unique_ptr<actions::COperateSystemInfo> helpers_;
    actions::UpgradeTimings timings_;
    SkinSettings skin_;
    FirmwareImage image_;
    test::FakeHost host_;
    std::unique_ptr<CUpgradeDlg> page_;
};

TEST_F(UpgradeLab, TwentyFiveDevicesOfOneModelFetchOverTftpInThreeBatches) {
    UseLanguage(1033);
    StartAndDiscover({"--devices", "250", "--reboot-ms", "60000"}, 250);
    WriteImage("fw_axel_2.1.bin", (2u << 20) + 321);
    ShowPageTickingAll(30);
    const auto [axel, others] = TickedByModel(1);
    ASSERT_EQ(axel.size(), 25u);
    ASSERT_EQ(others.size(), 5u);

    const Watched seen = UpgradeThroughTheDialog(1, "upgrade-1033-tftp");
    EXPECT_EQ(Sizes(seen.batches), (std::vector<std::size_t>{10, 10, 5}));
    EXPECT_EQ(seen.succeeded, std::set<std::string>(axel.begin(), axel.end()));
    EXPECT_EQ(seen.shownSucceeded, seen.succeeded) << "the list showed each success";
    for (const std::string& mac : axel)
        ExpectFetched(mac, "tftp");
    for (const std::string& mac : others)
        EXPECT_EQ(sim_->Device(mac)["upgrade"]["file"].Str(), "") << mac << " was sent a request";
    ASSERT_NE(seen.helper, 0);
    EXPECT_NE(::kill(seen.helper, 0), 0) << "the TFTP helper is gone";
    EXPECT_TRUE(page_->RefreshPending()) << "the list reloads after the dialog";
}

TEST_F(UpgradeLab, ModelSetBKeepsABridgedPairInOneBatchAndIsPolledOverHttp) {
    UseLanguage(2052);
    // Model 4 ("Dorn") are devices 3, 13, ..., 113; none is bridged in the simulated fleet.
    StartAndDiscover({"--devices", "120", "--reboot-ms", "60000"}, 120);
    const auto devices = Devices();
    const std::string station = devices[93]["mac"].Str(), accessPoint = devices[113]["mac"].Str();
    // Make device 93 a station of device 113, as the bridge wizard would, and fetch its record.
    auto record = utility_->Row(station);
    ASSERT_TRUE(record);
    record->bridge.bridge_mac = ParseMac(accessPoint);
    record->bridge.bridge_work_mode = 2;
    auto& engine = utility_->Engine();
    ASSERT_TRUE(engine.SendCommand(devices[93]["ip"].Str(), MessageType::bridge, MakeBridgePayload(*record)));
    ASSERT_TRUE(WaitUntil(
        [&] {
            engine.SendCommand(devices[93]["ip"].Str(), MessageType::get_info);
            std::string peer;
            return utility_->Store().FindBridgePeer(station, peer) && peer == accessPoint;
        },
        5s, 200ms));

    WriteImage("固件_dorn_3.0.bin", 900000);
    ShowPageTickingAll(50);
    const auto [dorn, others] = TickedByModel(4);
    ASSERT_EQ(dorn.size(), 12u);
    ASSERT_FALSE(others.empty());

    const Watched seen = UpgradeThroughTheDialog(4, "upgrade-2052-http");
    std::size_t total = 0;
    bool together = false;
    for (const actions::UpgradeBatch& batch : seen.batches) {
        EXPECT_LE(batch.size(), 10u);
        total += batch.size();
        const auto has = [&](const std::string& mac) {
            return std::any_of(batch.begin(), batch.end(),
                               [&](const actions::UpgradeTarget& t) { return t.mac == mac; });
        };
        EXPECT_EQ(has(station), has(accessPoint)) << "the bridged pair was cut in two";
        together = together || (has(station) && has(accessPoint));
    }
    EXPECT_EQ(total, 12u);
    EXPECT_TRUE(together);
    EXPECT_EQ(seen.succeeded, std::set<std::string>(dorn.begin(), dorn.end()));
    EXPECT_EQ(seen.shownSucceeded, seen.succeeded) << "the list showed each success";
    for (const std::string& mac : dorn) {
        ExpectFetched(mac, "http");
        EXPECT_EQ(sim_->Device(mac)["upgrade"]["polls"].Int(), 1) << mac;
    }
    for (const std::string& mac : others)
        EXPECT_EQ(sim_->Device(mac)["upgrade"]["file"].Str(), "") << mac << " was sent a request";
    ASSERT_NE(seen.helper, 0);
    EXPECT_NE(::kill(seen.helper, 0), 0) << "the file server is gone";
}

TEST_F(UpgradeLab, ClosingTheDialogDuringTheTransferLeavesNoHelperRunning) {
    StartAndDiscover({"--devices", "20"}, 20);
    WriteImage("fw_axel_big.bin", 8u << 20);
    ShowPageTickingAll(30);
    const auto [axel, others] = TickedByModel(1);
    ASSERT_EQ(axel.size(), 2u);

    pid_t helper = 0;
    bool fetching = false;
    WhenModalOpens<CUpgradeConfigDlg>([&](CUpgradeConfigDlg& dialog) {
        dialog.TypeList()->setCurrentIndex(dialog.TypeList()->findData(1));
        test::AnswerFileDialog(QString::fromStdString(image_.Path().string()));
        QTest::mouseClick(dialog.ScanButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.UpgradeButton(), Qt::LeftButton);
        helper = helpers_->FindProcess("cpe-tftpd");
        fetching =
            QTest::qWaitFor([&] { return sim_->Device(axel.front())["upgrade"]["phase"].Str() == "fetching"; }, 5000);
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    });
    QTest::mouseClick(page_->UpgradeButton(), Qt::LeftButton);
    EXPECT_TRUE(fetching) << "the devices were fetching when the dialog closed";
    ASSERT_NE(helper, 0);
    EXPECT_EQ(helpers_->FindProcess("cpe-tftpd"), 0);
    EXPECT_NE(::kill(helper, 0), 0) << "the helper is ended and reaped";
}

}  // namespace
}  // namespace cpe::lab
