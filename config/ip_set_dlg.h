// The IP tab of the configuration dialog: address, mask, gateway and the two DNS servers, each in
// a dotted-quad field. Its refusals come in a plain box with the application's title.
#pragma once

#include "actions/ip_form_model.h"
#include "config/config_form.h"
#include "ui/resource_ids.h"

namespace cpe {

class CIPSetDlg : public CConfigFormDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kIpSetDlg;

    CIPSetDlg(const IpFormModel& model, QWidget* parent);

    IpEntries Entries() const;
    QWidget* FieldControl(ConfigField field) const override;
};

}  // namespace cpe
