// A timed progress popup: the bar fills over the given number of seconds, two steps a second,
// and the popup closes itself when the bar is full, or at once through its close button. Both
// ways end the modal call with QDialog::Accepted, so the caller cannot tell them apart.
#pragma once

#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

#include <QBasicTimer>
#include <chrono>

class QProgressBar;

namespace cpe {

class CTButtonPicture;

class CWaitDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kWaitDlg;
    static constexpr int kProgressId = ids::wait::kProgress;
    static constexpr int kCloseId = ids::wait::kCloseButton;
    static constexpr std::chrono::milliseconds kTickPeriod{500};

    // `tick` is the time between two steps (tests shorten it).
    explicit CWaitDlg(int seconds, QWidget* parent = nullptr, std::chrono::milliseconds tick = kTickPeriod);

    int Step() const { return m_nStep; }
    int StepCount() const { return m_nStepCount; }
    int TicksSeen() const { return m_nTicks; }
    QProgressBar* Progress() const { return m_pProgress; }
    CTButtonPicture* CloseButton() const { return m_pClose; }

    // One step of the bar; the last step fills it and closes the popup.
    void OnTick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int m_nStep = 1;
    int m_nStepCount;
    int m_nTicks = 0;
    std::chrono::milliseconds m_tick;
    QBasicTimer m_timer;
    QProgressBar* m_pProgress = nullptr;
    CTButtonPicture* m_pClose = nullptr;
};

}  // namespace cpe
