// The utility in the network lab: the main window with its real pages over the real engine and a
// store on a temporary file, on the utility side of the lab, against cpe-sim with 40 devices on
// two subnets; and the cpe-manager executable itself (single instance, orderly exit). Screenshots
// of the main window, the status page with devices and the adapter page go to CPE_SHOT_DIR.
#include "tests/app/shell_fixture.h"
#include "tests/e2e/lab_support.h"
#include "tests/e2e/program_copy.h"

#include "app/application_dlg.h"
#include "app/menu_dlg.h"
#include "lang/language.h"
#include "pages/status_dlg.h"
#include "pages/system_tool_dlg.h"
#include "platform/system_info.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/in_place_edit.h"

#include <arpa/inet.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace cpe::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kDevices = 40;

void SaveShot(QWidget& window, const char* name) {
    const std::filesystem::path dir = CPE_SHOT_DIR;
    std::filesystem::create_directories(dir);
    const auto file = dir / name;
    EXPECT_TRUE(window.grab().save(QString::fromStdString(file.string()))) << file;
    std::printf("screenshot: %s\n", file.c_str());
}

// The order the device list sorts addresses in: the four octets read as a little-endian number,
// so the last octet weighs most.
std::uint32_t IpOrderKey(const QString& text) {
    in_addr a{};
    if (::inet_pton(AF_INET, text.toLatin1().constData(), &a) != 1)
        return 0;
    std::uint8_t octets[4];
    std::memcpy(octets, &a.s_addr, 4);
    return octets[0] | (octets[1] << 8) | (octets[2] << 16) | (static_cast<std::uint32_t>(octets[3]) << 24);
}

QStringList ColumnTexts(const CListPageDlg& page, ListColumn kind) {
    QStringList out;
    const int col = page.Traits().ColumnOf(kind);
    for (int row = 1; row < page.Grid()->GetRowCount(); ++row)
        out << page.Grid()->GetItemText(row, col);
    return out;
}

void ClickCell(CGridCtrl& grid, int row, int col) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, col).center());
}

class ShellLabTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The look and the texts of the program: its language files, settings and skin, which the
        // build puts next to the executable.
        const std::string programDir = std::filesystem::path(CPE_MANAGER_BINARY).parent_path().string() + "/";
        InitLanguage(programDir);
        LoadSkinSettings(skin_, programDir, platform::VersionText());
        InitSkinPaths(skin_, programDir, LanguageLcid());
        InstallSkin(&skin_);
    }
    static void TearDownTestSuite() { InstallSkin(nullptr); }

    void SetUp() override {
        lab_ = lab::CurrentLab();
        if (!lab_)
            GTEST_SKIP() << "not inside the network lab; ctest runs this through tools/netlab.sh run";
    }

    static inline SkinSettings skin_;

    std::optional<lab::LabEnv> lab_;
};

TEST_F(ShellLabTest, SearchListsTheFleetARenameReachesTheDeviceAndTheAdapterPageListsTheLab) {
    lab::SimProcess sim(*lab_, {"--devices", std::to_string(kDevices)});
    ASSERT_TRUE(sim.Ready()) << "cpe-sim did not start";
    lab::Utility utility;
    ASSERT_TRUE(utility.Started()) << "the engine could not bind its ports";

    CApplicationDlg window(PageServices{utility.Engine(), utility.Store()}, CApplicationDlg::Options{{}, false, {}});
    window.show();
    CChildDlg& host = *window.m_pChildDlg;
    CMenuDlg& menu = *window.m_pMenuDlg;
    auto* status = dynamic_cast<CStatusDlg*>(host.PageById(CStatusDlg::kDialogId));
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !host.PageShownPending(); }, 2s));
    SaveShot(window, "main-window.png");

    // --- the discovery run, as long as the product makes it --------------------------------
    const auto started = Clock::now();
    QTest::mouseClick(status->SearchButton(), Qt::LeftButton);
    ASSERT_FALSE(status->IsIdle());
    EXPECT_FALSE(host.m_bAutoRefresh);
    EXPECT_FALSE(menu.Button(1006)->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return status->IsIdle(); }, 45s)) << "the run did not end";
    EXPECT_GE(Clock::now() - started, 29s);
    EXPECT_TRUE(host.m_bAutoRefresh);
    EXPECT_TRUE(menu.Button(1006)->isEnabled());

    // 40 online, 30 per page, in descending address order.
    ASSERT_TRUE(WaitFor(
        [&] {
            status->RefreshList();
            return status->OnlineCount() == static_cast<int>(kDevices);
        },
        10s))
        << "online: " << status->OnlineCount();
    EXPECT_EQ(status->PageSize(), 30);
    EXPECT_EQ(status->PageCount(), 2);
    EXPECT_EQ(status->StoreRowCount(), 30);
    EXPECT_TRUE(status->OnlineLabel()->text().contains(QString::number(kDevices)))
        << status->OnlineLabel()->text().toStdString();

    std::vector<std::uint32_t> simIps;
    const auto dump = sim.Dump();
    for (std::size_t i = 0; i < dump["devices"].Size(); ++i)
        simIps.push_back(IpOrderKey(QString::fromStdString(dump["devices"][i]["ip"].Str())));
    ASSERT_EQ(simIps.size(), kDevices);
    std::sort(simIps.rbegin(), simIps.rend());
    std::vector<std::uint32_t> shown;
    for (const QString& ip : ColumnTexts(*status, ListColumn::kIp))
        shown.push_back(IpOrderKey(ip));
    ASSERT_EQ(shown.size(), 30u);
    EXPECT_EQ(shown, std::vector<std::uint32_t>(simIps.begin(), simIps.begin() + 30));
    SaveShot(window, "status-devices.png");

    // --- rename the first row in place ---------------------------------------------------
    const QString mac = ColumnTexts(*status, ListColumn::kMac).front();
    const QString newName = QStringLiteral("lab-roof-1");
    CGridCtrl& grid = *status->Grid();
    const int nameCol = status->Traits().ColumnOf(ListColumn::kLocation);
    ClickCell(grid, 1, nameCol);
    ClickCell(grid, 1, nameCol);
    CInPlaceEdit* editor = grid.InPlaceEditor();
    ASSERT_NE(editor, nullptr) << "no editor on the Location cell";
    editor->selectAll();
    editor->insert(newName);
    QTest::keyClick(editor, Qt::Key_Tab);
    const auto deviceName = [&] { return sim.Device(mac.toStdString())["ap_name"].Str(); };
    ASSERT_TRUE(WaitFor([&] { return deviceName() == newName.toStdString(); }, 5s))
        << "the device still calls itself " << deviceName();

    // The list refreshes a second after the edit and must still show the name the device took.
    QTest::qWait(1500);
    const int row = static_cast<int>(ColumnTexts(*status, ListColumn::kMac).indexOf(mac));
    ASSERT_GE(row, 0);
    EXPECT_EQ(ColumnTexts(*status, ListColumn::kLocation)[row].toStdString(), newName.toStdString())
        << "after the refresh the list shows the name the store holds, not the one the device took";
    SaveShot(window, "status-renamed.png");

    // --- the adapter page lists the lab's adapters ---------------------------------------
    QTest::mouseClick(menu.Button(1001), Qt::LeftButton);
    EXPECT_EQ(host.m_nCurPageId, 155);
    auto* tool = dynamic_cast<CSystemToolDlg*>(host.PageById(CSystemToolDlg::kDialogId));
    ASSERT_NE(tool, nullptr);
    tool->FillGrid();
    std::set<std::string> listed;
    for (int r = 1; r < tool->Grid()->GetRowCount(); ++r)
        for (int c = 0; c < tool->Grid()->GetColumnCount(); ++c)
            listed.insert(tool->Grid()->GetItemText(r, c).toStdString());
    for (const std::string& address : lab_->utilAddresses)
        EXPECT_TRUE(listed.count(address)) << address << " is not on the adapter page";
    EXPECT_EQ(tool->Grid()->GetRowCount() - 1, static_cast<int>(lab_->utilAddresses.size()));
    SaveShot(window, "adapter-page.png");
}

// --- the executable ----------------------------------------------------------------------

TEST_F(ShellLabTest, TheProgramRunsOnceAndRemovesItsDatabaseWhenItEnds) {
    lab::ProgramCopy program(CPE_MANAGER_BINARY, CPE_LOCAL_ADAPTER_LIBRARY);
    const pid_t first = program.Start();
    ASSERT_TRUE(lab::WaitUntil([&] { return std::filesystem::exists(program.Database()); }, 10s))
        << "the first copy did not create its database";

    // A second copy ends at once and silently, and leaves the first one's database alone.
    const pid_t second = program.Start();
    EXPECT_EQ(lab::ProgramCopy::WaitExit(second, 5s), 0);
    EXPECT_EQ(::kill(first, 0), 0) << "the first copy went away";
    EXPECT_TRUE(std::filesystem::exists(program.Database()));

    // Ended from outside, the first copy still shuts down in order.
    ASSERT_EQ(::kill(first, SIGTERM), 0);
    EXPECT_EQ(lab::ProgramCopy::WaitExit(first, 10s), 0);
    EXPECT_FALSE(std::filesystem::exists(program.Database())) << "data.mdb left behind";
}

}  // namespace
}  // namespace cpe::test
