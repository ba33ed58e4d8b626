#include "bridge/bridge_config_dlg.h"

#include "bridge/bridge_finish_dlg.h"
#include "bridge/bridge_ip_dlg.h"
#include "bridge/bridge_secure_dlg.h"
#include "bridge/bridge_survey_dlg.h"
#include "inventory/inventory.h"
#include "store/sql_management.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/message_box.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

#include <QLabel>

namespace cpe {

CBridgeConfigDlg::CBridgeConfigDlg(const ap_info_stu& device, BridgeWizardHost& host, PageServices services,
                                   const actions::BridgeTimings& timings, QWidget* parent)
    : CTDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_model(device),
      m_host(host),
      m_services(services),
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
    UpdateNext();
}

void CBridgeConfigDlg::UpdateNext() {
    const bool survey = m_model.Step() == actions::BridgeStep::kSurvey;
    m_pNext->setEnabled(!survey || (!m_pSurvey->IsScanning() && !m_pSurvey->CheckedMac().empty()));
}

void CBridgeConfigDlg::OnNext() {
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
        ShowMessageBox(this, QString::fromStdString(collected.failure->Text()), MessageIcon::kExclamation,
                       MessageButtons::kOk,
                       collected.wepFailure ? MessageCaption::kApplication : MessageCaption::kEmpty);
        m_pSecure->FocusField(collected.failure->field);
        return;
    }
    m_pIp->Init(m_model.DeviceIpEntries());
}

void CBridgeConfigDlg::NextFromIp() {
    std::vector<std::string> ipsInUse;
    m_services.store.GetDeviceIps(ipsInUse);
    if (const auto failure = m_model.SubmitIp(m_pIp->Entries(), ipsInUse)) {
        ShowMessageBox(this, QString::fromStdString(failure->Text()), MessageIcon::kNone, MessageButtons::kOk,
                       MessageCaption::kApplication);
        m_pIp->FocusField(failure->field);
    }
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
    m_sender.Start(*request, m_target.ip);
    m_services.store.ClearSurvey();
    accept();
}

void CBridgeConfigDlg::OnClose() {
    m_services.store.ClearSurvey();
    reject();
}

void CBridgeConfigDlg::done(int result) {
    // A scan that still runs ends with the window.
    m_pSurvey->StopScan();
    CTDialog::done(result);
}

}  // namespace cpe
