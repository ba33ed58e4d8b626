// The wireless tab of the configuration dialog: device name, SSID, radio and security settings,
// with the WEP and WPA sub-forms below the security mode. A view of WirelessFormModel: every
// choice goes to the model, and the combos and radios show what it then offers.
#pragma once

#include "actions/config/wireless_form_model.h"
#include "config/config_form.h"
#include "ui/resource_ids.h"

class QButtonGroup;

namespace cpe {

class CWepDlg;
class CWpaDlg;

class CWirelessSetDlg : public CConfigFormDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kWirelessSetDlg;

    CWirelessSetDlg(actions::WirelessFormModel& model, QWidget* parent);

    actions::WirelessEntries Entries() const;
    QWidget* FieldControl(actions::ConfigField field) const override;

    CWepDlg* WepForm() const { return m_pWep; }
    CWpaDlg* WpaForm() const { return m_pWpa; }

private:
    void ShowDevice();
    void Connect();
    void ShowModes();
    void ShowWidths();
    void ShowChannels();
    void ShowExtensions();
    void ShowSecurity();

    actions::WirelessFormModel& m_model;
    CWepDlg* m_pWep = nullptr;
    CWpaDlg* m_pWpa = nullptr;
    QButtonGroup* m_pWidths = nullptr;
    QButtonGroup* m_pCiphers = nullptr;
};

}  // namespace cpe
