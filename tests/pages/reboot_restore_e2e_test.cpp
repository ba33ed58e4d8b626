// The reboot and restore pages against 20 simulated devices (bridged pairs among them) in the
// network lab: the checked devices, and only they, restart or reset and come back; access points
// with bridged stations hear the command at least 200 ms before the rest; the rows follow the
// devices during the wait and the list is refreshed after it. Screenshots of each page during the
// follow-up (reboot in English, restore in Chinese) go to CPE_SHOT_DIR.
#include "lang/language.h"
#include "pages/reboot_restore_dlg.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/pages/page_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/skin_settings.h"

#include <QPainter>

#include <algorithm>
#include <limits>
#include <map>
#include <set>

namespace cpe::lab {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kDevices = 20;
// The popup lasts 6 s (120 steps of 50 ms); the simulated devices are back about 2.6 s after the
// command, so every checked row shows the restart and then the device online again.
constexpr CRebootRestoreDlg::Timings kLabTimings{60, 50ms, 100ms, 200ms};

const std::string kResources = CPE_SOURCE_DIR "/resources/";

class RebootRestoreLab : public LabTest {
protected:
    void SetUp() override {
        LabTest::SetUp();
        if (IsSkipped())
            return;
        StartAndDiscover({"--devices", std::to_string(kDevices), "--heartbeat-ms", "1000", "--apply-ms", "100",
                          "--reboot-ms", "2500"},
                         kDevices);
        SetMessageBoxHook([this](const MessageBoxRequest& r) {
            boxes_ << r.text;
            return int(IDOK);
        });
    }
    void TearDown() override {
        SetMessageBoxHook({});
        InstallSkin(nullptr);
    }

    // The program's texts and look in the language of `lcid`.
    void UseLanguage(std::uint16_t lcid) {
        InitLanguage(kResources, lcid);
        LoadSkinSettings(skin_, kResources, "V0.20.5.10");
        InitSkinPaths(skin_, kResources, lcid);
        InstallSkin(&skin_);
    }

    template <class Page>
    std::unique_ptr<Page> ShowPage() {
        auto page = std::make_unique<Page>(nullptr, host_, PageServices{utility_->Engine(), utility_->Store()});
        page->SetTimings(kLabTimings);
        page->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        page->RefreshList();
        return page;
    }

    // The access points that have a station of the fleet bridged to them.
    std::set<std::string> AccessPointsWithStations() const {
        std::set<std::string> aps;
        for (const sim::JsonValue& d : Devices())
            if (d["work_mode"].Int() == 2)
                aps.insert(d["bridge_mac"].Str());
        return aps;
    }

    // Runs the page's action on the devices of the fleet with these indexes and checks what the
    // devices heard, the rows during the wait and the list after it.
    void RunAction(CRebootRestoreDlg& page, const std::set<std::size_t>& chosen, const char* command,
                   const char* statusKey, const char* shotName) {
        const std::vector<sim::JsonValue> before = Devices();
        ASSERT_EQ(before.size(), kDevices);
        ASSERT_EQ(page.StoreRowCount(), static_cast<int>(kDevices));
        CGridCtrl& grid = *page.Grid();
        const int macColumn = page.Traits().ColumnOf(ListColumn::kMac);
        const int statusColumn = page.Traits().ColumnOf(ListColumn::kStatus);
        std::set<std::string> chosenMacs;
        for (std::size_t i : chosen)
            chosenMacs.insert(before[i]["mac"].Str());
        std::vector<int> chosenRows;
        for (int row = 1; row < grid.GetRowCount(); ++row)
            if (chosenMacs.count(grid.GetItemText(row, macColumn).toStdString())) {
                QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, 0).center());
                chosenRows.push_back(row);
            }
        ASSERT_EQ(chosenRows.size(), chosen.size());

        QTest::mouseClick(page.ActionButton(), Qt::LeftButton);
        ASSERT_EQ(boxes_.size(), 1);
        CWaitDlg* popup = page.WaitPopup();
        ASSERT_NE(popup, nullptr);

        // Watch the rows while the popup is up.
        const QString restarting = QString::fromStdString(TranslateString(statusKey));
        std::set<int> seenRestarting;
        bool shot = false;
        while (page.WaitPopup()) {
            int showing = 0;
            for (int row : chosenRows)
                if (grid.GetItemText(row, statusColumn) == restarting) {
                    seenRestarting.insert(row);
                    EXPECT_EQ(grid.GetCell(row, statusColumn)->GetTextClr(), skin_.textOnlineColor);
                    ++showing;
                }
            if (!shot && showing == static_cast<int>(chosenRows.size())) {
                grid.EnsureVisible(1, statusColumn);  // the list is wider than the page
                SaveShot(page, shotName);
                shot = true;
            }
            QTest::qWait(20);
        }
        EXPECT_TRUE(shot) << "the checked rows never showed " << statusKey << " all at once";
        EXPECT_EQ(seenRestarting.size(), chosenRows.size());

        // The one-shot refresh: a rebuilt list with every device back online.
        ASSERT_TRUE(page.RefreshPending());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !page.RefreshPending(); }, 5000));
        EXPECT_EQ(page.StoreRowCount(), static_cast<int>(kDevices));
        const QString online = QString::fromStdString(TranslateString("Online"));
        for (int row = 1; row < grid.GetRowCount(); ++row) {
            EXPECT_EQ(grid.GetItemText(row, statusColumn), online) << "row " << row;
            EXPECT_FALSE(grid.GetCheckCell(row)->GetCheck());
        }

        // What the devices heard.
        const std::set<std::string> firsts = AccessPointsWithStations();
        std::int64_t lastFirst = 0;
        std::int64_t firstRest = std::numeric_limits<std::int64_t>::max();
        std::map<std::string, std::int64_t> heardAt;
        for (std::size_t i = 0; i < kDevices; ++i) {
            const std::string mac = before[i]["mac"].Str();
            const sim::JsonValue now = sim_->Device(mac);
            if (!chosen.count(i)) {
                // The discovery broadcast after the wait reaches every device; nothing else may.
                EXPECT_EQ(now["restarts"].Int(), 0) << mac;
                for (const auto& [request, count] :
                     *std::get<std::shared_ptr<sim::JsonValue::Object>>(now["received"].v))
                    if (request != "search") {
                        EXPECT_EQ(count.Int(), before[i]["received"][request].Int()) << mac << " received " << request;
                    }
                continue;
            }
            EXPECT_EQ(now["received"][command].Int(), 1) << mac;
            EXPECT_EQ(now["restarts"].Int(), 1) << mac;
            EXPECT_EQ(now["power"].Str(), "on") << mac;
            const std::int64_t at = now["last_received_ms"][command].Int();
            heardAt[mac] = at;
            if (firsts.count(mac))
                lastFirst = std::max(lastFirst, at);
            else
                firstRest = std::min(firstRest, at);
        }
        ASSERT_GT(lastFirst, 0) << "the choice holds an access point with a station";
        EXPECT_GE(firstRest - lastFirst, 200) << "the rest went out less than 200 ms after the access points";
        std::printf("%s: the rest heard it %lld ms after the access points\n", command,
                    static_cast<long long>(firstRest - lastFirst));
        for (std::size_t i : chosen) {
            const sim::JsonValue& d = before[i];
            if (d["work_mode"].Int() == 2 && heardAt.count(d["bridge_mac"].Str())) {
                EXPECT_GE(heardAt[d["mac"].Str()] - heardAt[d["bridge_mac"].Str()], 200) << d["mac"].Str();
            }
        }
    }

    // The page with the wait popup over it, as the operator sees them.
    static void SaveShot(CRebootRestoreDlg& page, const char* name) {
        QPixmap shot = page.grab();
        if (CWaitDlg* popup = page.WaitPopup()) {
            QPainter painter(&shot);
            painter.drawPixmap(popup->mapToGlobal(QPoint()) - page.mapToGlobal(QPoint()), popup->grab());
        }
        const std::filesystem::path dir = CPE_SHOT_DIR;
        std::filesystem::create_directories(dir);
        const auto file = dir / name;
        EXPECT_TRUE(shot.save(QString::fromStdString(file.string()))) << file;
        std::printf("screenshot: %s\n", file.c_str());
    }

    SkinSettings skin_;
    test::FakeHost host_;
    QStringList boxes_;
};

TEST_F(RebootRestoreLab, RebootPageRestartsTheCheckedDevicesAccessPointsFirst) {
    UseLanguage(1033);
    auto page = ShowPage<CRebootDlg>();
    // Pairs 0/1 and 5/6 with their access points, station 11 without its own, plain devices.
    RunAction(*page, {0, 1, 2, 5, 6, 8, 11, 14}, "reboot", "Restarting", "reboot-followup-1033.png");
    EXPECT_EQ(boxes_.back(), "Are you sure you want to restart?");
}

TEST_F(RebootRestoreLab, RestorePageResetsTheCheckedDevicesAccessPointsFirst) {
    UseLanguage(2052);
    auto page = ShowPage<CRestoreDlg>();
    RunAction(*page, {3, 10, 11, 12, 15, 16, 19}, "restore", "Reseting", "restore-followup-2052.png");
    EXPECT_EQ(boxes_.back().toStdString(), TranslateString("Are you sure you want to reset?"));
}

}  // namespace
}  // namespace cpe::lab
