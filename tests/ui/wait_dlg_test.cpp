// The wait popup: how its bar moves, when it closes itself, its line and its close button.
#include "tests/support/qt_app.h"

#include "ui/ct_button_picture.h"
#include "ui/message_box.h"
#include "ui/wait_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <vector>

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

TEST(WaitDlgTest, FirstTickMovesTheBarFromZeroToTwo) {
    CWaitDlg wait({}, 15);
    EXPECT_EQ(wait.Progress()->minimum(), 0);
    EXPECT_EQ(wait.Progress()->maximum(), 30);
    EXPECT_EQ(wait.Progress()->value(), 0);
    wait.OnTick();
    EXPECT_EQ(wait.Progress()->value(), 2);
    wait.OnTick();
    EXPECT_EQ(wait.Progress()->value(), 3);
}

TEST(WaitDlgTest, FifteenSecondPopupClosesItselfOnTheTwentyNinthTickWithTheBarFull) {
    CWaitDlg wait({}, 15, nullptr, 1ms);
    EXPECT_EQ(wait.exec(), QDialog::Accepted);
    EXPECT_EQ(wait.TicksSeen(), 29);
    EXPECT_EQ(wait.Progress()->value(), 30);
    EXPECT_FALSE(wait.isVisible());
    QTest::qWait(20);
    EXPECT_EQ(wait.TicksSeen(), 29) << "ticks went on after the popup closed";
}

TEST(WaitDlgTest, RealTickPeriodIsHalfASecond) {
    CWaitDlg wait({}, 1);  // two steps: closes on the first tick, after half a second
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(wait.exec(), QDialog::Accepted);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(wait.TicksSeen(), 1);
    EXPECT_GE(took, 450ms);
}

// The line counts down whole seconds; closing early (close box or Escape) ends the wait with the
// same result and then says what was sent and that the device may still be busy.
TEST(WaitDlgTest, TheLineCountsDownAndAnEarlyCloseSaysTheDeviceMayStillBeBusy) {
    std::vector<MessageBoxRequest> told;
    SetMessageBoxHook([&](const MessageBoxRequest& r) {
        told.push_back(r);
        return int(IDOK);
    });
    const WaitTexts texts{"Applying settings", [](int left) { return QString("10.89.1.11 %1 s").arg(left); },
                          "The settings were sent."};
    for (bool byKey : {false, true}) {
        CWaitDlg wait(texts, 60);
        EXPECT_EQ(wait.Line()->text(), "10.89.1.11 60 s");
        wait.OnTick();
        wait.OnTick();
        EXPECT_EQ(wait.Line()->text(), "10.89.1.11 59 s");
        QTimer::singleShot(0, &wait, [&] {
            if (byKey)
                QTest::keyClick(&wait, Qt::Key_Escape);
            else
                QTest::mouseClick(wait.CloseButton(), Qt::LeftButton);
        });
        EXPECT_EQ(wait.exec(), QDialog::Accepted);
        EXPECT_TRUE(wait.ClosedEarly());
        EXPECT_LT(wait.Progress()->value(), wait.Progress()->maximum());
        wait.TellEarlyClose(nullptr);
    }
    CWaitDlg full(texts, 1, nullptr, 1ms);
    full.exec();
    full.TellEarlyClose(nullptr);
    ASSERT_EQ(told.size(), 2u) << "a wait that ran to its end tells nothing";
    EXPECT_EQ(told[1].text, "The settings were sent.");
    EXPECT_EQ(told[1].icon, MessageIcon::kInformation);
    SetMessageBoxHook({});
}

}  // namespace
}  // namespace cpe::test
