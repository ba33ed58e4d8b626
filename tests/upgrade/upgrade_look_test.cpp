// The upgrade dialog with the shipped skin and language files, in English and in Chinese: its
// texts fit their controls, and screenshots of the choice and of both phases go to CPE_SHOT_DIR.
#include <QLabel>
#include <QProgressBar>

#include "lang/language.h"
#include "platform/system_info.h"
#include "tests/upgrade/upgrade_fixture.h"
#include "ui/skin_settings.h"

namespace cpe::test {
namespace {

using namespace std::chrono_literals;
using actions::UpgradePhase;

class UpgradeLookTest : public UpgradeTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        const std::string programDir = std::string(CPE_SOURCE_DIR) + "/resources/";
        ASSERT_TRUE(InitLanguage(programDir, static_cast<std::uint16_t>(GetParam())));
        LoadSkinSettings(skin_, programDir, platform::VersionText());
        InitSkinPaths(skin_, programDir, static_cast<std::uint16_t>(GetParam()));
        InstallSkin(&skin_);
    }
    void TearDown() override {
        InstallSkin(nullptr);
        InitLanguage(std::string(CPE_SOURCE_DIR) + "/resources/", 1033);
    }
    void Shot(QWidget& window, const char* phase) {
        const std::filesystem::path dir = CPE_SHOT_DIR;
        std::filesystem::create_directories(dir);
        const auto file = dir / ("upgrade-dialog-" + std::to_string(GetParam()) + "-" + phase + ".png");
        EXPECT_TRUE(window.grab().save(QString::fromStdString(file.string()))) << file;
    }
    // Every plain label shows its whole text on one line.
    static void ExpectLabelsFit(const QWidget& window) {
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (label->isHidden() || label->text().isEmpty())
                continue;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
    }

    SkinSettings skin_;
};

TEST_P(UpgradeLookTest, TextsFitInTheChoiceAndInBothPhases) {
    for (int n = 1; n <= 3; ++n)
        AddDevice(n, n == 2 ? 4 : 1, 7);  // upgrading: the batch holds on
    timings_.transferPeriod = timings_.flashPeriod = 10ms;
    auto dialog = MakeDialog({Target(1, 1), Target(2, 4), Target(3, 1)});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    ChooseFirmware(*dialog);
    ExpectLabelsFit(*dialog);
    Shot(*dialog, "choice");

    QTest::mouseClick(dialog->UpgradeButton(), Qt::LeftButton);
    ASSERT_NE(dialog->Run(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Progress()->value() >= 40; }, 5000));
    ExpectLabelsFit(*dialog);
    Shot(*dialog, "transfer");

    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dialog->Run()->Phase() == UpgradePhase::kFlashing && dialog->Progress()->value() >= 50; }, 10000));
    ExpectLabelsFit(*dialog);
    Shot(*dialog, "flashing");
    QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog->isHidden());
}

INSTANTIATE_TEST_SUITE_P(English, UpgradeLookTest, ::testing::Values(1033));
INSTANTIATE_TEST_SUITE_P(Chinese, UpgradeLookTest, ::testing::Values(2052));

}  // namespace
}  // namespace cpe::test
