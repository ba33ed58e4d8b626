// The device configuration dialog: a title strip, four tabs (wireless, IP, VLAN, timed reboot)
// each showing its form, and Save, Cancel and the close box. Save asks the forms in tab order,
// stops at the first refusal (the shown tab stays), hands what changed to the page that opened
// the dialog, waits for the device where a new VLAN or address needs it, and closes. The dialog
// works on its own copy of the device record and never writes the store.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "actions/config/config_request.h"
#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"
#include "ui/wait_dlg.h"

namespace cpe {

class CConfigFormDlg;
class CIPSetDlg;
class CTButtonPicture;
class CTimeRebootDlg;
class CVlanDlg;
class CWirelessSetDlg;

// What the dialog needs from the page that opened it.
class ConfigSaveTarget {
public:
    virtual ~ConfigSaveTarget() = default;
    // The address texts of the devices in the store, for the IP form's in-use check.
    virtual std::vector<std::string> DeviceIps() = 0;
    // Takes a Save's request and sends it (nothing when nothing changed).
    virtual void SendConfiguration(const actions::config_request& request) = 0;
};

class CManagementConfigDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kManagementConfigDlg;

    // `waitTick` is the wait popup's step (tests shorten it).
    CManagementConfigDlg(const ap_info_stu& device, ConfigSaveTarget& target, QWidget* parent = nullptr,
                         std::chrono::milliseconds waitTick = CWaitDlg::kTickPeriod);

    // Shows one form and marks its tab selected.
    void ShowForm(actions::ConfigForm form);
    actions::ConfigForm ShownForm() const { return m_shown; }
    void OnSave();

    CTButtonPicture* Tab(actions::ConfigForm form) const;
    CTButtonPicture* SaveButton() const;
    CTButtonPicture* CancelButton() const;
    CTButtonPicture* CloseBox() const;
    CWirelessSetDlg* WirelessForm() const { return m_pWireless; }
    CIPSetDlg* IpForm() const { return m_pIp; }
    CVlanDlg* VlanForm() const { return m_pVlan; }
    CTimeRebootDlg* TimeRebootForm() const { return m_pTimeReboot; }

private:
    void InitSkin();
    void CreateForms();
    CConfigFormDlg* Form(actions::ConfigForm form) const;

    actions::ConfigDialogModel m_model;
    ConfigSaveTarget& m_target;
    const std::chrono::milliseconds m_waitTick;
    CWirelessSetDlg* m_pWireless = nullptr;
    CIPSetDlg* m_pIp = nullptr;
    CVlanDlg* m_pVlan = nullptr;
    CTimeRebootDlg* m_pTimeReboot = nullptr;
    actions::ConfigForm m_shown = actions::ConfigForm::kWireless;
};

}  // namespace cpe
