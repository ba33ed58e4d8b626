// Step 1 of the bridge wizard: the SSID, channel and security of the access point ticked in the
// survey, preset from its survey entry, and the key the operator enters. The cipher radios and
// the key show for the pre-shared key modes, the WEP part for WEP.
#pragma once

#include "actions/bridge/bridge_security.h"
#include "bridge/bridge_step_dlg.h"
#include "ui/resource_ids.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace cpe {

class CBridgeWepDlg;

class CBridgeSecureDlg : public CBridgeStepDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeSecureDlg;

    explicit CBridgeSecureDlg(QWidget* parent);

    // Shows the access point's values; the keys keep what they hold.
    void Init(const actions::BridgeSecurityPreset& preset);
    actions::BridgeSecurityEntries Entries() const;
    // Puts the keyboard focus on the entry a failed check names.
    void FocusField(actions::ConfigField field);

    QLineEdit* SsidEdit() const { return m_pSsid; }
    QComboBox* ChannelList() const { return m_pChannel; }
    QComboBox* SecurityModeList() const { return m_pMode; }
    QRadioButton* CipherRadio(int cipher) const;
    QLineEdit* KeyEdit() const { return m_pKey; }
    CBridgeWepDlg* WepForm() const { return m_pWep; }

private:
    void ApplyVisibility();

    QLineEdit* m_pSsid = nullptr;
    QComboBox* m_pChannel = nullptr;
    QComboBox* m_pMode = nullptr;
    QLineEdit* m_pKey = nullptr;
    CBridgeWepDlg* m_pWep = nullptr;
};

}  // namespace cpe
