#include "config/management_config_dlg.h"

#include "config/ip_set_dlg.h"
#include "config/time_reboot_dlg.h"
#include "config/vlan_dlg.h"
#include "config/wireless_set_dlg.h"
#include "pages/wait_job_texts.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/skin_qt.h"
#include "ui/tab_order.h"
#include "ui/translate_window.h"

namespace cpe {
namespace {

namespace c = ids::config;

struct TabOf {
    actions::ConfigForm form;
    int buttonId;
};
constexpr TabOf kTabs[] = {
    {actions::ConfigForm::kWireless, c::kWirelessTab},
    {actions::ConfigForm::kIp, c::kIpTab},
    {actions::ConfigForm::kVlan, c::kVlanTab},
    {actions::ConfigForm::kTimedReboot, c::kTimeRebootTab},
};

// The forms sit directly below the tab row.
constexpr QPoint kFormOrigin(8, 46);

}  // namespace

CManagementConfigDlg::CManagementConfigDlg(const ap_info_stu& device, ConfigSaveTarget& target, QWidget* parent,
                                           std::chrono::milliseconds waitTick)
    : CTDialog(parent, Qt::Dialog), m_model(device), m_target(target), m_waitTick(waitTick) {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    InitSkin();
    CreateForms();
    for (const TabOf& tab : kTabs)
        connect(Tab(tab.form), &QAbstractButton::clicked, this, [this, form = tab.form] { ShowForm(form); });
    connect(SaveButton(), &QAbstractButton::clicked, this, &CManagementConfigDlg::OnSave);
    connect(CancelButton(), &QAbstractButton::clicked, this, &QDialog::reject);
    connect(CloseBox(), &QAbstractButton::clicked, this, &QDialog::reject);
    SetKeyButtons(SaveButton(), CancelButton());
    SetReadingTabOrder(*this);
    ShowForm(actions::ConfigForm::kWireless);
}

void CManagementConfigDlg::InitSkin() {
    const SkinSettings& skin = Skin();
    m_bFill = true;
    m_crFill = skin.childBkColor;
    m_bDrag = true;

    auto* strip = DlgItem<CTStatic>(this, c::kTitleStrip);
    strip->m_bTransparent = false;
    strip->m_crBk = skin.gridTitleBkColor;
    ApplyLabelStyle(*DlgItem<CTStatic>(this, c::kTitle));

    SetButtonPicture(*CloseBox(), skin.paths.closeConfig);
    for (int id : {c::kSaveButton, c::kCancelButton}) {
        auto* button = DlgItem<CTButtonPicture>(this, id);
        ApplyButtonStyle(*button, button->text());
    }
    SetButtonPicture(*SaveButton(), skin.paths.configBtn);
    SetButtonPicture(*CancelButton(), skin.paths.btnConfig);
    for (const TabOf& tab : kTabs)
        ApplyButtonStyle(*Tab(tab.form), Tab(tab.form)->text());
    for (int id : {c::kTabLine, c::kButtonLine}) {
        auto* line = DlgItem<CTPicture>(this, id);
        if (line->LoadFile(QString::fromStdString(skin.paths.grayLine)))
            line->DrawPicture();
    }
}

void CManagementConfigDlg::CreateForms() {
    m_pWireless = new CWirelessSetDlg(m_model.wireless, this);
    m_pIp = new CIPSetDlg(m_model.ip, this);
    m_pVlan = new CVlanDlg(m_model.vlan, this);
    m_pTimeReboot = new CTimeRebootDlg(m_model.timedReboot, this);
    const QPoint origin = DialogUnitsToPixels(QRect(kFormOrigin, QSize())).topLeft();
    for (const TabOf& tab : kTabs)
        Form(tab.form)->move(origin);
}

CConfigFormDlg* CManagementConfigDlg::Form(actions::ConfigForm form) const {
    switch (form) {
    case actions::ConfigForm::kWireless: return m_pWireless;
    case actions::ConfigForm::kIp: return m_pIp;
    case actions::ConfigForm::kVlan: return m_pVlan;
    case actions::ConfigForm::kTimedReboot: return m_pTimeReboot;
    }
    return m_pWireless;
}

CTButtonPicture* CManagementConfigDlg::Tab(actions::ConfigForm form) const {
    for (const TabOf& tab : kTabs)
        if (tab.form == form)
            return DlgItem<CTButtonPicture>(this, tab.buttonId);
    return nullptr;
}

CTButtonPicture* CManagementConfigDlg::SaveButton() const { return DlgItem<CTButtonPicture>(this, c::kSaveButton); }

CTButtonPicture* CManagementConfigDlg::CancelButton() const { return DlgItem<CTButtonPicture>(this, c::kCancelButton); }

CTButtonPicture* CManagementConfigDlg::CloseBox() const { return DlgItem<CTButtonPicture>(this, c::kCloseBox); }

void CManagementConfigDlg::ShowForm(actions::ConfigForm form) {
    const SkinPaths& paths = Skin().paths;
    m_shown = form;
    for (const TabOf& tab : kTabs) {
        const bool selected = tab.form == form;
        Form(tab.form)->setVisible(selected);
        CTButtonPicture& button = *Tab(tab.form);
        const std::string& picture = selected ? paths.wirelessBasic : paths.wirelessConfig;
        SetButtonPicture(button, picture);
        button.m_bSelected = selected;
        button.update();
    }
}

void CManagementConfigDlg::OnSave() {
    const actions::ConfigEntries entries{m_pWireless->Entries(), m_pIp->Entries(), m_pVlan->Entries(),
                                         m_pTimeReboot->Entries()};
    const actions::SaveOutcome outcome = m_model.Save(entries, m_target.DeviceIps());
    if (outcome.failure) {
        Form(outcome.failure->form)->ShowFailure(outcome.failure->failure);
        return;
    }
    m_target.SendConfiguration(outcome.request);
    if (outcome.wait.count() > 0) {
        CWaitDlg wait(WaitTextsOf(outcome.waitJob), static_cast<int>(outcome.wait.count()), this, m_waitTick);
        wait.exec();
        // Over the page: this dialog closes now.
        wait.TellEarlyClose(parentWidget());
    }
    accept();
}

}  // namespace cpe
