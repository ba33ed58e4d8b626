// The wait popup: how its bar moves, when it closes itself, and its close button.
#include "tests/support/qt_app.h"

#include "ui/ct_button_picture.h"
#include "ui/wait_dlg.h"

#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <chrono>

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

TEST(WaitDlgTest, FirstTickMovesTheBarFromZeroToTwo) {
    CWaitDlg wait(15);
    EXPECT_EQ(wait.Progress()->minimum(), 0);
    EXPECT_EQ(wait.Progress()->maximum(), 30);
    EXPECT_EQ(wait.Progress()->value(), 0);
    wait.OnTick();
    EXPECT_EQ(wait.Progress()->value(), 2);
    wait.OnTick();
    EXPECT_EQ(wait.Progress()->value(), 3);
}

TEST(WaitDlgTest, FifteenSecondPopupClosesItselfOnTheTwentyNinthTickWithTheBarFull) {
    CWaitDlg wait(15, nullptr, 1ms);
    EXPECT_EQ(wait.exec(), QDialog::Accepted);
    EXPECT_EQ(wait.TicksSeen(), 29);
    EXPECT_EQ(wait.Progress()->value(), 30);
    EXPECT_FALSE(wait.isVisible());
    QTest::qWait(20);
    EXPECT_EQ(wait.TicksSeen(), 29) << "ticks went on after the popup closed";
}

TEST(WaitDlgTest, RealTickPeriodIsHalfASecond) {
    CWaitDlg wait(1);  // two steps: closes on the first tick, after half a second
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(wait.exec(), QDialog::Accepted);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(wait.TicksSeen(), 1);
    EXPECT_GE(took, 450ms);
}

TEST(WaitDlgTest, CloseButtonEndsItAtOnceWithTheSameResult) {
    CWaitDlg wait(60);
    QTimer::singleShot(0, &wait, [&] { QTest::mouseClick(wait.CloseButton(), Qt::LeftButton); });
    EXPECT_EQ(wait.exec(), QDialog::Accepted);
    EXPECT_EQ(wait.TicksSeen(), 0);
    EXPECT_LT(wait.Progress()->value(), wait.Progress()->maximum());
}

}  // namespace
}  // namespace cpe::test
