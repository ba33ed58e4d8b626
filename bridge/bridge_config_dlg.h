// The bridge wizard: four steps shown one at a time under a title strip, "Step N of 4", Back and
// Next (which reads "Save" on the last step) and a close box. Save sends one bridge request from
// the wizard's sender and stays on the last step until the device answers (Next then reads
// "Close"); the close box sends nothing. The page that opens the wizard owns it after its window
// closes, so the sender can still finish.
#pragma once

#include "actions/bridge/bridge_requests.h"
#include "actions/bridge/bridge_timing.h"
#include "actions/bridge/bridge_wizard.h"
#include "bridge/bridge_wizard_host.h"
#include "pages/page_host.h"
#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

#include <QBasicTimer>
#include <chrono>

class QLabel;

namespace cpe {

class CBridgeFinishDlg;
class CBridgeIPSetDlg;
class CBridgeSearcgAPDlg;
class CBridgeSecureDlg;
class CTButtonPicture;

class CBridgeConfigDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeConfigDlg;
    static constexpr int kStepTop = 35;  // pixels from the wizard's top to its steps

    // `device` is the device's record from the store (all zero when it has none). The first
    // scan starts here.
    CBridgeConfigDlg(const ap_info_stu& device, BridgeWizardHost& host, PageServices services,
                     const actions::BridgeTimings& timings, QWidget* parent);

    void OnNext();
    void OnBack();
    // The close box: forgets the survey and closes without sending anything.
    void OnClose();
    void done(int result) override;

    actions::BridgeStep Step() const { return m_model.Step(); }
    // The target the last Save sent to.
    const BridgeTarget& SavedTarget() const { return m_target; }
    CBridgeSearcgAPDlg* SurveyStep() const { return m_pSurvey; }
    CBridgeSecureDlg* SecurityStep() const { return m_pSecure; }
    CBridgeIPSetDlg* IpStep() const { return m_pIp; }
    CBridgeFinishDlg* FinishStep() const { return m_pFinish; }
    CTButtonPicture* BackButton() const { return m_pBack; }
    CTButtonPicture* NextButton() const { return m_pNext; }
    CTButtonPicture* CloseButton() const { return m_pClose; }
    QLabel* StepLabel() const { return m_pStepLabel; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void InitFrame();
    void ShowStep();
    void UpdateNext();
    void NextFromSurvey();
    void NextFromSecurity();
    void NextFromIp();
    void Save();
    void ShowAnswer();

    actions::BridgeWizardModel m_model;
    BridgeWizardHost& m_host;
    PageServices m_services;
    BridgeTarget m_target;
    CBridgeSearcgAPDlg* m_pSurvey = nullptr;
    CBridgeSecureDlg* m_pSecure = nullptr;
    CBridgeIPSetDlg* m_pIp = nullptr;
    CBridgeFinishDlg* m_pFinish = nullptr;
    CTButtonPicture* m_pBack = nullptr;
    CTButtonPicture* m_pNext = nullptr;
    CTButtonPicture* m_pClose = nullptr;
    QLabel* m_pStepLabel = nullptr;
    actions::BridgeTimings m_timings;
    QBasicTimer m_answerTimer;
    std::chrono::steady_clock::time_point m_sentAt;
    // Last member: waited for before anything else of the wizard goes away.
    actions::BridgeSender m_sender;
};

}  // namespace cpe
