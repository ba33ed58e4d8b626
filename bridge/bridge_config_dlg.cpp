#include "bridge/bridge_config_dlg.h"

#include "actions/bridge/bridge_summary.h"
#include "bridge/bridge_finish_dlg.h"
#include "bridge/bridge_ip_dlg.h"
#include "bridge/bridge_secure_dlg.h"
#include "bridge/bridge_survey_dlg.h"
#include "inventory/inventory.h"
#include "protocol/codes.h"
#include "store/sql_management.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/message_box.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"
#include "ui/tab_order.h"
#include "ui/translate_window.h"

#include <QLabel>
#include <QTimerEvent>

namespace cpe {

CBridgeConfigDlg::CBridgeConfigDlg(const ap_info_stu& device, BridgeWizardHost& host, PageServices services,
                                   const actions::BridgeTimings& timings, QWidget* parent)
    : CTDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_model(device),
      m_host(host),
      m_services(services),
      m_timings(timings),
      m_sender(services.engine) {
    InitFrame();
    m_pSurvey = new CBridgeSearcgAPDlg(host, services, timings, this);
    m_pSecure = new CBridgeSecureDlg(this);
    m_pIp = new CBridgeIPSetDlg(this);
    m_pFinish = new CBridgeFinishDlg(this);
    for (QWidget* step : std::initializer_list<QWidget*>{m_pSurvey, m_pSecure, m_pIp, m_pFinish})
        step->move(0, kStepTop);

    connect(m_pSurvey, &CBridgeSearcgAPDlg::ScanStarted, this, [this] { UpdateNext(); });
    connect(m_pSurvey, &CBridgeSearcgAPDlg::ScanFinished, this, [this] { UpdateNext(); });
    connect(m_pSurvey, &CBridgeSearcgAPDlg::ChoiceChanged, this, [this] { UpdateNext(); });
    m_pSurvey->Scan();
    SetKeyButtons(m_pNext, m_pClose);
    SetReadingTabOrder(*this);
    ShowStep();
}

void CBridgeConfigDlg::InitFrame() {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    const SkinSettings& skin = Skin();
    m_bFill = true;
    m_crFill = skin.childBkColor;
    m_bDrag = true;

    ApplyTitleStrip(*DlgItem<QLabel>(this, ids::bridge_wizard::kTitleStrip),
                    *DlgItem<CTStatic>(this, ids::bridge_wizard::kTitle));

    m_pClose = DlgItem<CTButtonPicture>(this, ids::bridge_wizard::kCloseButton);
    SetButtonPicture(*m_pClose, skin.paths.closeConfig);
    m_pClose->raise();
    m_pBack = DlgItem<CTButtonPicture>(this, ids::bridge_wizard::kBackButton);
    m_pNext = DlgItem<CTButtonPicture>(this, ids::bridge_wizard::kNextButton);
    m_pStepLabel = DlgItem<QLabel>(this, ids::bridge_wizard::kStepLabel);
    SetButtonPicture(*m_pBack, skin.paths.btnConfig);
    SetButtonPicture(*m_pNext, skin.paths.configBtn);
    ApplyButtonStyle(*m_pBack, PageText("Back"));
    ApplyButtonStyle(*m_pNext, PageText("Next"));

    connect(m_pClose, &QAbstractButton::clicked, this, &CBridgeConfigDlg::OnClose);
    connect(m_pBack, &QAbstractButton::clicked, this, &CBridgeConfigDlg::OnBack);
    connect(m_pNext, &QAbstractButton::clicked, this, &CBridgeConfigDlg::OnNext);
}

void CBridgeConfigDlg::ShowStep() {
    const actions::BridgeStep step = m_model.Step();
    m_pSurvey->setVisible(step == actions::BridgeStep::kSurvey);
    m_pSecure->setVisible(step == actions::BridgeStep::kSecurity);
    m_pIp->setVisible(step == actions::BridgeStep::kIp);
    m_pFinish->setVisible(step == actions::BridgeStep::kFinish);
    m_pBack->setVisible(m_model.BackVisible());
    m_pNext->SetButtonText(PageText(std::string(m_model.NextKey()).c_str()));
    m_pStepLabel->setText(QString::fromStdString(actions::TranslateWithNumbers(
        "Step %d of %d", {m_model.StepNumber(), actions::BridgeWizardModel::kStepCount})));
    UpdateNext();
}

void CBridgeConfigDlg::UpdateNext() {
    const bool survey = m_model.Step() == actions::BridgeStep::kSurvey;
    m_pNext->setEnabled(!survey || (!m_pSurvey->IsScanning() && !m_pSurvey->CheckedMac().empty()));
}

void CBridgeConfigDlg::OnNext() {
    if (m_model.Sent()) {
        accept();
        return;
    }
    switch (m_model.Step()) {
    case actions::BridgeStep::kSurvey: NextFromSurvey(); break;
    case actions::BridgeStep::kSecurity: NextFromSecurity(); break;
    case actions::BridgeStep::kIp: NextFromIp(); break;
    case actions::BridgeStep::kFinish: Save(); return;
    }
    ShowStep();
}

void CBridgeConfigDlg::OnBack() {
    m_model.Back();
    ShowStep();
}

void CBridgeConfigDlg::NextFromSurvey() {
    const std::string mac = m_pSurvey->CheckedMac();
    if (mac.empty())
        return;
    config_otherwl_basic entry;
    m_services.store.GetSurveyEntry(mac, entry);
    m_pSecure->Init(m_model.ChooseAccessPoint(entry));
}

void CBridgeConfigDlg::NextFromSecurity() {
    const actions::BridgeSecurityCollected collected = m_model.SubmitSecurity(m_pSecure->Entries());
    if (collected.failure) {
        ShowMessageBox(this, QString::fromStdString(collected.failure->Text()), MessageIcon::kExclamation);
        m_pSecure->FocusField(collected.failure->field);
        return;
    }
    m_pIp->Init(m_model.DeviceIpEntries());
}

void CBridgeConfigDlg::NextFromIp() {
    std::vector<std::string> ipsInUse;
    m_services.store.GetDeviceIps(ipsInUse);
    if (const auto failure = m_model.SubmitIp(m_pIp->Entries(), ipsInUse)) {
        ShowMessageBox(this, QString::fromStdString(failure->Text()), MessageIcon::kExclamation);
        m_pIp->FocusField(failure->field);
        return;
    }
    if (const std::optional<actions::BridgeRequest> request = m_model.Request())
        m_pFinish->ShowSummary(actions::BridgeSummary(*request));
}

void CBridgeConfigDlg::Save() {
    const std::optional<actions::BridgeRequest> request = m_model.Request();
    if (!request)
        return;
    m_target = m_host.Target();
    if (inventory::Inventory* fleet = m_services.inventory) {
        fleet->TakeBackup(m_target.mac, inventory::backup_reason::kBeforeBridge);
        fleet->RecordAction(m_target.mac, inventory::event_kind::kBridge, "sent");
    }
    // An answer to an earlier bridge must not pass for this one's.
    m_services.store.SetDeviceStatus(m_target.mac, kStatusOnline);
    m_sender.Start(*request, m_target.ip);
    m_services.store.ClearSurvey();
    m_model.MarkSent();
    m_sentAt = std::chrono::steady_clock::now();
    m_answerTimer.start(static_cast<int>(m_timings.answerPoll.count()), this);
    ShowAnswer();
    ShowStep();
}

void CBridgeConfigDlg::ShowAnswer() {
    const bool patienceOver = std::chrono::steady_clock::now() - m_sentAt >= m_timings.answerPatience;
    const actions::BridgeAnswer answer =
        actions::AnswerOf(m_services.store.GetDeviceStatus(m_target.mac), patienceOver);
    m_pFinish->ShowAnswer(answer);
    if (answer == actions::BridgeAnswer::kSucceeded || answer == actions::BridgeAnswer::kFailed)
        m_answerTimer.stop();
}

void CBridgeConfigDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_answerTimer.timerId())
        ShowAnswer();
    else
        CTDialog::timerEvent(event);
}

void CBridgeConfigDlg::OnClose() {
    m_services.store.ClearSurvey();
    reject();
}

void CBridgeConfigDlg::done(int result) {
    // A scan that still runs ends with the window, and so does the wait for an answer.
    m_pSurvey->StopScan();
    m_answerTimer.stop();
    CTDialog::done(result);
}

}  // namespace cpe
