#include "bridge/bridge_secure_dlg.h"

#include "actions/bridge/bridge_survey.h"
#include "bridge/bridge_wep_dlg.h"
#include "pages/combo_choices.h"
#include "pages/limit_marks.h"
#include "ui/dialog_template.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace cpe {
namespace {

constexpr int kCipherRadios[] = {ids::bridge_secure::kAesRadio, ids::bridge_secure::kTkipRadio,
                                 ids::bridge_secure::kTkipAesRadio};
// The controls of the pre-shared key modes.
constexpr int kPskControls[] = {
    ids::bridge_secure::kCipherLabel, ids::bridge_secure::kAesRadio, ids::bridge_secure::kAesText,
    ids::bridge_secure::kTkipRadio,   ids::bridge_secure::kTkipText, ids::bridge_secure::kTkipAesRadio,
    ids::bridge_secure::kTkipAesText, ids::bridge_secure::kKeyLabel, ids::bridge_secure::kKeyEdit};

}  // namespace

CBridgeSecureDlg::CBridgeSecureDlg(QWidget* parent) : CBridgeStepDlg(kDialogId, parent) {

    m_pSsid = DlgItem<QLineEdit>(this, ids::bridge_secure::kSsidEdit);
    MarkLimit(*m_pSsid, actions::kDeviceTextLimit);
    m_pChannel = DlgItem<QComboBox>(this, ids::bridge_secure::kChannelList);
    m_pMode = DlgItem<QComboBox>(this, ids::bridge_secure::kSecurityModeList);
    m_pKey = DlgItem<QLineEdit>(this, ids::bridge_secure::kKeyEdit);
    MarkLimit(*m_pKey, actions::kKeyLimit);

    FillCombo(*m_pMode, actions::BridgeSecurityModeChoices(0));
    FillCombo(*m_pChannel, actions::BridgeChannelChoices(0, 0));
    CipherRadio(actions::kCipherAes)->setChecked(true);
    connect(m_pMode, &QComboBox::currentIndexChanged, this, &CBridgeSecureDlg::ApplyVisibility);

    m_pWep = new CBridgeWepDlg(this);
    m_pWep->move(0, ids::bridge_secure::kWepFormTop);
    ApplyVisibility();
    m_pKey->setFocus();
}

QRadioButton* CBridgeSecureDlg::CipherRadio(int cipher) const {
    if (cipher < 0 || cipher >= static_cast<int>(std::size(kCipherRadios)))
        return nullptr;
    return DlgItem<QRadioButton>(this, kCipherRadios[cipher]);
}

void CBridgeSecureDlg::Init(const actions::BridgeSecurityPreset& preset) {
    m_pSsid->setText(QString::fromStdString(preset.ssid));
    FillCombo(*m_pChannel, preset.channels);
    SelectData(*m_pMode, preset.secureMode);
    if (QRadioButton* radio = CipherRadio(preset.cipher))
        radio->setChecked(true);
    if (preset.wepOpen)
        m_pWep->SelectOpen();
    ApplyVisibility();
}

void CBridgeSecureDlg::ApplyVisibility() {
    const actions::SecurityVisibility visible = actions::VisibilityFor(SelectedData(*m_pMode).value_or(0));
    for (int id : kPskControls) {
        QWidget* w = DlgItemWidget(this, id);
        w->setVisible(visible.pskControls);
        w->setEnabled(visible.pskControls);
    }
    m_pWep->setVisible(visible.wepForm);
}

actions::BridgeSecurityEntries CBridgeSecureDlg::Entries() const {
    actions::BridgeSecurityEntries e;
    e.ssid = m_pSsid->text().toStdString();
    e.channel = SelectedData(*m_pChannel).value_or(0);
    e.secureMode = SelectedData(*m_pMode).value_or(0);
    e.cipher = actions::kCipherUnchanged;
    for (int cipher = 0; cipher < static_cast<int>(std::size(kCipherRadios)); ++cipher)
        if (CipherRadio(cipher)->isChecked())
            e.cipher = cipher;
    e.key = m_pKey->text().toStdString();
    e.wep = m_pWep->Entries();
    return e;
}

void CBridgeSecureDlg::FocusField(actions::ConfigField field) {
    const int wepKey = static_cast<int>(field) - static_cast<int>(actions::ConfigField::kWepKey1);
    if (field == actions::ConfigField::kSsid)
        m_pSsid->setFocus();
    else if (field == actions::ConfigField::kPskKey)
        m_pKey->setFocus();
    else if (wepKey >= 0 && wepKey < 4)
        m_pWep->KeyEdit(wepKey)->setFocus();
}

}  // namespace cpe
