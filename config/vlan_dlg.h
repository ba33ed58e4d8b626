// The VLAN tab of the configuration dialog: the enable box and the management, wireless-side and
// wired-side VLAN ids; models without a wired side show no LAN line.
#pragma once

#include "actions/config/vlan_form_model.h"
#include "config/config_form.h"
#include "ui/resource_ids.h"

namespace cpe {

class CVlanDlg : public CConfigFormDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kVlanDlg;

    CVlanDlg(actions::VlanFormModel& model, QWidget* parent);

    actions::VlanEntries Entries() const;
    QWidget* FieldControl(actions::ConfigField field) const override;

private:
    void ShowEnabled();

    actions::VlanFormModel& m_model;
};

}  // namespace cpe
