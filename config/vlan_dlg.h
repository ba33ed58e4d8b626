// The VLAN tab of the configuration dialog: the enable box and the management, wireless-side and
// wired-side VLAN ids; models without a wired side show no LAN line.
#pragma once

#include "actions/vlan_form_model.h"
#include "config/config_form.h"
#include "ui/resource_ids.h"

namespace cpe {

class CVlanDlg : public CConfigFormDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kVlanDlg;

    CVlanDlg(VlanFormModel& model, QWidget* parent);

    VlanEntries Entries() const;
    QWidget* FieldControl(ConfigField field) const override;

private:
    void ShowEnabled();

    VlanFormModel& m_model;
};

}  // namespace cpe
