// The upgrade dialog with real widgets, the real helper programs on loopback and an engine that
// records what it would send: the checks before anything starts, a helper that does not start,
// the two phases with their progress, model set B with its wait and polls, and every way the
// dialog ends leaving no helper and no sender behind.
#include <signal.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/account.h"
#include "platform/ini_file.h"
#include "tests/upgrade/upgrade_fixture.h"
#include "ui/ct_button_picture.h"
#include "ui/page_text.h"
#include "upgrade/upgrade_messages.h"
#include "upgrade/upgrade_texts.h"

namespace cpe::test {
namespace {

using namespace std::chrono_literals;
using actions::UpgradePhase;
namespace msg = upgrade_message;

bool Idle(const CUpgradeConfigDlg& dialog) {
    return dialog.ScanButton()->isEnabled() && !dialog.UpgradeButton()->isHidden() && dialog.Progress()->isHidden();
}

TEST_F(UpgradeTest, NothingStartsWithoutAFileOrWhenTheOperatorCancels) {
    AddDevice(1, 1);
    auto dialog = MakeDialog({Target(1, 1)});
    EXPECT_TRUE(Idle(*dialog));
    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_.back(), PageText(msg::kSelectFile));

    ChooseFirmware(*dialog);
    EXPECT_EQ(dialog->FileEdit()->text(), FirmwarePath());
    answer_ = IDCANCEL;
    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_.back(), PageText(msg::kConfirm));
    EXPECT_EQ(dialog->Run(), nullptr);
    EXPECT_FALSE(HelperRunning("cpe-tftpd"));
    QTest::qWait(50);
    EXPECT_TRUE(UpgradedIps().empty());
    EXPECT_TRUE(Idle(*dialog));
}

TEST_F(UpgradeTest, AHelperThatDoesNotStartIsToldAndNoDeviceIsSentARequest) {
    AddDevice(1, 1);
    AddDevice(2, 4);
    // Another program holds the TFTP port on the address facing the device.
    platform::UniqueFd squatter(::socket(AF_INET, SOCK_DGRAM, 0));
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(*layout_.tftpPort);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(squatter.Get(), reinterpret_cast<sockaddr*>(&at), sizeof at), 0);

    auto dialog = MakeDialog({Target(1, 1), Target(2, 4)});
    ChooseFirmware(*dialog);
    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 2u) << "the confirmation, then the failure";
    const QString told = boxes_.back();
    EXPECT_TRUE(told.startsWith(FilledText(msg::kTftpFailed, {"cpe-tftpd", "127.0.0.1", ""})) &&
                told.contains(QString::fromStdString(std::strerror(EADDRINUSE))))
        << told.toStdString();
    EXPECT_EQ(dialog->Run(), nullptr);
    EXPECT_TRUE(Idle(*dialog));
    EXPECT_FALSE(HelperRunning("cpe-tftpd"));

    // Devices that no address of this computer faces: the TFTP server has nowhere to listen.
    auto unreachable = MakeDialog({{"10.1.0.5", DeviceMac(5), 1}});
    ChooseFirmware(*unreachable);
    QTest::mouseClick(unreachable->UpgradeButton(), Qt::LeftButton);
    EXPECT_EQ(boxes_.back(), PageText(msg::kNoLocalAddress));
    EXPECT_TRUE(Idle(*unreachable));

    // The file server of model set B, missing from its folder.
    actions::HelperLayout broken = layout_;
    broken.serviceDir = firmware_.path();
    actions::COperateSystemInfo brokenHelpers(broken);
    CUpgradeConfigDlg setB({Target(2, 4)}, {*engine_, *store_, brokenHelpers, timings_});
    setB.show();
    ChooseFirmware(setB);
    QTest::mouseClick(setB.UpgradeButton(), Qt::LeftButton);
    EXPECT_TRUE(boxes_.back().startsWith(FilledText(msg::kFileServerFailed, {"cpe-httpd", ""})))
        << boxes_.back().toStdString();
    EXPECT_TRUE(Idle(setB));

    QTest::qWait(50);
    EXPECT_TRUE(UpgradedIps().empty());
    EXPECT_TRUE(Sent(MessageType::upgrade_poll).empty());
}

TEST_F(UpgradeTest, AnAccountThatMayNotRunTheHelperIsToldWhatToDoBeforeTheQuestionAndNothingStarts) {
    AddDevice(1, 1);
    // The helper as the package leaves it for an account outside its group: not executable.
    actions::HelperLayout reserved = layout_;
    reserved.serviceDir = ini_.path();
    const std::filesystem::path helper = ini_ / "cpe-tftpd";
    std::filesystem::copy_file(std::filesystem::path(CPE_HELPER_DIR) / "cpe-tftpd", helper);
    std::filesystem::permissions(helper, std::filesystem::perms(0640));
    actions::COperateSystemInfo reservedHelpers(reserved);
    CUpgradeConfigDlg dialog({Target(1, 1)}, {*engine_, *store_, reservedHelpers, timings_});
    dialog.show();
    ChooseFirmware(dialog);
    QTest::mouseClick(dialog.UpgradeButton(), Qt::LeftButton);

    ASSERT_EQ(boxes_.size(), 1u) << "the refusal instead of the question";
    const QString told = boxes_.back();
    const QString group = QString::fromStdString(platform::GroupName(::getegid()));
    EXPECT_TRUE(told.contains(QString::fromStdString(helper.string())) &&
                told.contains("sudo usermod -aG " + group + " " + QString::fromStdString(platform::CurrentUserName())))
        << told.toStdString();
    EXPECT_EQ(dialog.Run(), nullptr);
    EXPECT_TRUE(Idle(dialog));
    EXPECT_EQ(reservedHelpers.FindProcess("cpe-tftpd"), 0);
    QTest::qWait(50);
    EXPECT_TRUE(UpgradedIps().empty());
}

TEST_F(UpgradeTest, TransferThenFlashingThenTheDialogClosesItselfAndEndsTheHelper) {
    AddDevice(1, 1);
    auto dialog = MakeDialog({Target(1, 1)});
    ChooseFirmware(*dialog);
    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_NE(dialog->Run(), nullptr);
    EXPECT_FALSE(dialog->ScanButton()->isEnabled());
    EXPECT_TRUE(dialog->UpgradeButton()->isHidden());
    EXPECT_FALSE(dialog->Progress()->isHidden());
    EXPECT_EQ(dialog->ProgressLabel()->text(), PageText(msg::kTransferProgress));
    EXPECT_EQ(dialog->Progress()->maximum(), 120);
    EXPECT_TRUE(dialog->TimerRunning(CUpgradeConfigDlg::TIMER_TRANSFER));
    EXPECT_TRUE(dialog->TimerRunning(CUpgradeConfigDlg::TIMER_STATUS));
    EXPECT_FALSE(dialog->TimerRunning(CUpgradeConfigDlg::TIMER_FLASH));
    EXPECT_EQ(engine_->UpgradeModelCode(), 1);
    const pid_t helper = helpers_->FindProcess("cpe-tftpd");
    ASSERT_NE(helper, 0);
    EXPECT_EQ(platform::GetPrivateProfileString("TFTPD32", "LocalIP", "", 64, ini_ / "tftpd32.ini"), "127.0.0.1");

    ASSERT_TRUE(QTest::qWaitFor([&] { return !Sent(MessageType::upgrade).empty(); }, 2000));
    const SentDatagram request = Sent(MessageType::upgrade).front();
    EXPECT_EQ(request.ip, "127.0.1.1");
    ASSERT_EQ(request.payload.size(), kUpgradeBlockSize);
    EXPECT_STREQ(reinterpret_cast<const char*>(request.payload.data()), kFirmware);

    // The device reports success: its batch is settled and the transfer phase ends early.
    ASSERT_TRUE(store_->SetDeviceStatus(DeviceMac(1), 8));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Run()->Phase() != UpgradePhase::kTransfer; }, 3000));
    EXPECT_EQ(dialog->ProgressLabel()->text(), PageText(msg::kFlashProgress));
    EXPECT_EQ(dialog->Progress()->maximum(), 130);
    EXPECT_FALSE(dialog->TimerRunning(CUpgradeConfigDlg::TIMER_TRANSFER));

    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isHidden(); }, 5000));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Progress()->value(), 130);
    EXPECT_TRUE(dialog->ScanButton()->isEnabled());
    EXPECT_FALSE(dialog->UpgradeButton()->isHidden());
    EXPECT_FALSE(HelperRunning("cpe-tftpd"));
    EXPECT_NE(::kill(helper, 0), 0) << "the helper is ended and reaped";
    EXPECT_EQ(UpgradedIps(), std::vector<std::string>{"127.0.1.1"});
}

TEST_F(UpgradeTest, ModelSetBIsServedOverHttpAndItsWaitingDevicesArePolled) {
    for (int n = 1; n <= 3; ++n)
        AddDevice(n, 4, 6);  // they will report that they wait for the poll
    AddDevice(4, 1);
    auto dialog = MakeDialog({Target(1, 4), Target(4, 1), Target(2, 4), Target(3, 4)});
    ASSERT_EQ(dialog->TypeList()->count(), 2);
    EXPECT_EQ(dialog->TypeList()->itemText(0), "Dorn");
    EXPECT_EQ(dialog->TypeList()->itemText(1), "Axel");
    dialog->TypeList()->setCurrentIndex(0);
    ChooseFirmware(*dialog);
    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_NE(dialog->Run(), nullptr);
    EXPECT_TRUE(HelperRunning("cpe-httpd"));
    EXPECT_FALSE(HelperRunning("cpe-tftpd"));
    EXPECT_EQ(engine_->UpgradeModelCode(), 4);

    ASSERT_TRUE(QTest::qWaitFor([&] { return Sent(MessageType::upgrade_poll).size() == 3; }, 3000));
    const std::vector<std::string> setB = {"127.0.1.1", "127.0.1.2", "127.0.1.3"};
    EXPECT_EQ(UpgradedIps(), setB);
    std::vector<std::string> polled;
    for (const SentDatagram& d : Sent(MessageType::upgrade_poll))
        polled.push_back(d.ip);
    EXPECT_EQ(polled, setB);

    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isHidden(); }, 5000));
    EXPECT_FALSE(HelperRunning("cpe-httpd"));
    EXPECT_EQ(UpgradedIps(), setB) << "the device of the other model got nothing";
}

TEST_F(UpgradeTest, ClosingBeforeEveryDeviceWasSentAsksFirstAndThenEndsEverything) {
    std::vector<actions::UpgradeTarget> targets;
    for (int n = 1; n <= 12; ++n) {
        AddDevice(n, 1, 7);  // upgrading: the first batch holds on
        targets.push_back(Target(n, 1));
    }
    timings_.followUpPeriod = 10s;
    auto dialog = MakeDialog(targets);
    ChooseFirmware(*dialog);
    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_NE(dialog->Run(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Run()->BatchesSent() == 1; }, 2000));
    EXPECT_EQ(UpgradedIps().size(), 10u);

    answer_ = IDCANCEL;
    QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    EXPECT_EQ(boxes_.back(), FilledText(msg::kUnsentOnClose, {"2"}));
    EXPECT_FALSE(dialog->isHidden()) << "the operator chose to go on";
    EXPECT_TRUE(HelperRunning("cpe-tftpd"));
    const std::size_t asked = boxes_.size();
    dialog->close();  // the window manager's close is the close button
    EXPECT_EQ(boxes_.size(), asked + 1);
    EXPECT_FALSE(dialog->isHidden());

    answer_ = IDOK;
    QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(HelperRunning("cpe-tftpd"));
    QTest::qWait(50);
    EXPECT_EQ(UpgradedIps().size(), 10u);

    // Closed before an upgrade: nothing to ask.
    const std::size_t shown = boxes_.size();
    auto idle = MakeDialog(targets);
    QTest::mouseClick(idle->CloseButton(), Qt::LeftButton);
    EXPECT_TRUE(idle->isHidden());
    EXPECT_EQ(boxes_.size(), shown);
}

TEST_F(UpgradeTest, DestroyingTheDialogDuringTheFileServerWaitEndsItPromptly) {
    AddDevice(1, 4);
    timings_.fileServerFirstWait = 30s;
    auto dialog = MakeDialog({Target(1, 4)});
    ChooseFirmware(*dialog);
    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_NE(dialog->Run(), nullptr);
    const pid_t server = helpers_->FindProcess("cpe-httpd");
    ASSERT_NE(server, 0);
    const auto before = std::chrono::steady_clock::now();
    dialog.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
    EXPECT_NE(::kill(server, 0), 0);
    EXPECT_TRUE(UpgradedIps().empty());
}

// Every message of the upgrade has an entry in each shipped language file.
TEST(UpgradeMessages, EveryKeyIsInBothLanguageFiles) {
    const std::filesystem::path root = CPE_SOURCE_DIR;
    std::stringstream text;
    for (const auto* header : {"upgrade/upgrade_messages.h", "actions/upgrade/helper_permission.h"})
        text << std::ifstream(root / header).rdbuf();
    const std::string source = text.str();
    // A key may run on over several literals.
    const std::regex literal(R"re(=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);)re");
    const std::regex piece(R"re("((?:[^"\\]|\\.)*)")re");
    std::vector<std::string> keys;
    for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it) {
        const std::string literals = (*it)[1].str();
        std::string& key = keys.emplace_back();
        for (std::sregex_iterator p(literals.begin(), literals.end(), piece); p != end; ++p)
            key += (*p)[1].str();
    }
    ASSERT_EQ(keys.size(), 11u);
    for (const char* file : {"English.lng", "Chinese.lng"}) {
        const auto path = root / "resources" / "Languages" / file;
        for (const std::string& key : keys)
            EXPECT_NE(platform::GetPrivateProfileString("ProgramOutStr", key, "\x01", 1024, path), "\x01")
                << file << " lacks \"" << key << "\"";
    }
}

TEST(UpgradeMessages, PlaceholdersAreFilledInOrderAndOnlyOnce) {
    EXPECT_EQ(FilledText("The TFTP server %s could not start on %s: %s", {"cpe-tftpd", "10.0.0.1", "100%d busy"}),
              "The TFTP server cpe-tftpd could not start on 10.0.0.1: 100%d busy");
    EXPECT_EQ(FilledText("%d of %d", {"3"}), "3 of %d");
}

}  // namespace
}  // namespace cpe::test
