// The IP tab of the configuration dialog: address, mask, gateway and the two DNS servers, each in
// a dotted-quad field.
#pragma once

#include "actions/config/ip_form_model.h"
#include "config/config_form.h"
#include "ui/resource_ids.h"

namespace cpe {

class CIPSetDlg : public CConfigFormDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kIpSetDlg;

    CIPSetDlg(const actions::IpFormModel& model, QWidget* parent);

    actions::IpEntries Entries() const;
    QWidget* FieldControl(actions::ConfigField field) const override;
};

}  // namespace cpe
