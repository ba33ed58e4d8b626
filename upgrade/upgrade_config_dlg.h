// The upgrade dialog: the operator picks one model among the ticked devices and a firmware file;
// the dialog starts the helper that serves the file, hands the first batch to a send thread and
// ticks the upgrade's four timers (transfer progress, flashing progress, batch follow-up, status
// display) as the run's schedule has them due, then stops the helpers and closes itself.
//
// A helper this account may not start, or that does not start, is told to the operator and no
// device is sent a request. Closing the dialog before every device of the chosen model was sent
// its request asks the operator first, naming how many would be left out.
#pragma once

#include <QBasicTimer>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "actions/upgrade/upgrade_bindings.h"
#include "actions/upgrade/upgrade_plan.h"
#include "actions/upgrade/upgrade_run.h"
#include "actions/upgrade/upgrade_schedule.h"
#include "actions/upgrade/upgrade_send_thread.h"
#include "actions/upgrade/upgrade_timing.h"
#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace cpe {

class CNetManagement;
class CSqlManagement;
class CTButtonPicture;

namespace actions {
class COperateSystemInfo;
struct HelperStart;
}  // namespace actions
namespace inventory {
class Inventory;
}

// What an upgrade works with: engine and store, the helper processes and the timer periods.
struct UpgradeServices {
    CNetManagement& engine;
    CSqlManagement& store;
    actions::COperateSystemInfo& helpers;
    actions::UpgradeTimings timings;
    // Where the run keeps its backups and each device's outcome; none without an inventory.
    inventory::Inventory* inventory = nullptr;
};

class CUpgradeConfigDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kUpgradeConfigDlg;
    // The timer ids of the four phases' timers.
    static constexpr int TIMER_TRANSFER = 1000;
    static constexpr int TIMER_FLASH = 2000;
    static constexpr int TIMER_FOLLOW_UP = 3000;
    static constexpr int TIMER_STATUS = 4000;

    CUpgradeConfigDlg(std::vector<actions::UpgradeTarget> targets, UpgradeServices services, QWidget* parent = nullptr);
    ~CUpgradeConfigDlg() override;

    // The buttons.
    void OnScan();
    void OnUpgrade();
    void OnClose();
    // What the timer of that id does when it comes due.
    void OnTimer(int timerId);

    QComboBox* TypeList() const { return m_pType; }
    QLineEdit* FileEdit() const { return m_pFile; }
    CTButtonPicture* ScanButton() const { return m_pScan; }
    CTButtonPicture* UpgradeButton() const { return m_pUpgrade; }
    CTButtonPicture* CloseButton() const { return m_pClose; }
    QProgressBar* Progress() const { return m_pProgress; }
    QLabel* ProgressLabel() const { return m_pProgressLabel; }
    // The upgrade under way, or null before one started.
    const actions::UpgradeRun* Run() const { return m_run.get(); }
    bool TimerRunning(int timerId) const;

signals:
    // A device of the current batch has this status (timer 4000).
    void DeviceStatusRead(const QString& mac, int status);

protected:
    void timerEvent(QTimerEvent* event) override;
    // Closing the window (Alt+F4) is the close button.
    void closeEvent(QCloseEvent* event) override;

private:
    void InitControls();
    // Whether this account may start the helper for the model; false after telling the operator
    // why not and what an administrator can do.
    bool MayStartHelper(int model);
    // Starts the helper for the chosen model; false after telling the operator why it did not.
    bool StartHelper(int model, const std::vector<actions::UpgradeTarget>& queue);
    void ReportHelperFailure(const actions::HelperStart& failure);
    void StartRun(int model, const std::string& fileName);
    void OnFirstBatchSent();
    // Arms and disarms the schedule's timers as the run has them, and sets the clock to wake when
    // the next one is due.
    void FollowRunTimers();
    void ShowProgress();
    void Finish();
    // Stops the timers and the send thread, then the helpers; nothing is sent after it.
    void EndUpgrade();

    std::vector<actions::UpgradeTarget> m_targets;
    UpgradeServices m_services;
    QString m_strFileName;  // without folder
    // The last status each device of the run reported, for its history.
    std::map<std::string, int> m_lastStatus;
    QString m_strFolder;
    bool m_bRunning = false;

    QComboBox* m_pType = nullptr;
    QLineEdit* m_pFile = nullptr;
    CTButtonPicture* m_pScan = nullptr;
    CTButtonPicture* m_pUpgrade = nullptr;
    CTButtonPicture* m_pClose = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pProgressLabel = nullptr;

    actions::UpgradeSchedule m_schedule;
    QBasicTimer m_clock;  // wakes when the schedule has a timer due
    std::unique_ptr<actions::StoreUpgradeQueries> m_queries;
    std::unique_ptr<actions::EngineUpgradeSender> m_sender;
    std::unique_ptr<actions::UpgradeRun> m_run;
    // Last member: stopped and joined before the sender it uses goes away.
    actions::UpgradeSendThread m_sendThread;
};

}  // namespace cpe
