// A timed wait after a request went out: a title and one line saying what is waited for and how
// long is left, a bar that fills over the given number of seconds, two steps a second, and a
// close box. The popup closes itself when the bar is full, or earlier through its close box (or
// Escape); both ways end the modal call with QDialog::Accepted. After an early close the caller
// has it say what that means: the request was sent and the device may still be busy.
#pragma once

#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

#include <QBasicTimer>
#include <QString>
#include <chrono>
#include <functional>

class QLabel;
class QProgressBar;

namespace cpe {

class CTButtonPicture;

struct WaitTexts {
    QString title;
    std::function<QString(int secondsLeft)> line;
    QString earlyClose;  // told when the operator closes the popup before its end
};

class CWaitDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kWaitDlg;
    static constexpr int kProgressId = ids::wait::kProgress;
    static constexpr int kCloseId = ids::wait::kCloseButton;
    static constexpr std::chrono::milliseconds kTickPeriod{500};

    // `tick` is the time between two steps (tests shorten it); the texts count whole seconds of
    // two steps each whatever the tick.
    CWaitDlg(WaitTexts texts, int seconds, QWidget* parent = nullptr, std::chrono::milliseconds tick = kTickPeriod);

    int Step() const { return m_nStep; }
    int StepCount() const { return m_nStepCount; }
    int TicksSeen() const { return m_nTicks; }
    int SecondsLeft() const;
    bool ClosedEarly() const { return m_bClosedEarly; }
    QProgressBar* Progress() const { return m_pProgress; }
    CTButtonPicture* CloseButton() const { return m_pClose; }
    QLabel* Line() const { return m_pLine; }

    // After an early close, tells the operator over `over` without waiting for an answer; else
    // nothing.
    void TellEarlyClose(QWidget* over) const;

    // One step of the bar; the last step fills it and closes the popup.
    void OnTick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void OnClose();
    void ShowLine();

    WaitTexts m_texts;
    int m_nStep = 1;
    int m_nStepCount;
    int m_nTicks = 0;
    bool m_bClosedEarly = false;
    std::chrono::milliseconds m_tick;
    QBasicTimer m_timer;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pLine = nullptr;
    CTButtonPicture* m_pClose = nullptr;
};

}  // namespace cpe
