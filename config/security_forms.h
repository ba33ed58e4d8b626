// The security sub-forms of the wireless form: WEP keys (CWepDlg) and the WPA-Enterprise RADIUS
// settings (CWpaDlg). Each shows the device's values and hands back what the operator entered;
// the wireless form shows one of them, or neither, by the security mode.
#pragma once

#include "actions/config/check_failure.h"
#include "actions/config/wireless_form_model.h"
#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

namespace cpe {

class CWepDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kWepDlg;

    CWepDlg(const actions::WepEntries& shown, QWidget* parent);

    actions::WepEntries Entries() const;
    // The key edit of a WEP key field, or null for other fields.
    QWidget* FieldControl(actions::ConfigField field) const;
};

class CWpaDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kWpaDlg;

    CWpaDlg(const actions::WpaEntries& shown, QWidget* parent);

    actions::WpaEntries Entries() const;
    // The control of a RADIUS field, or null for other fields.
    QWidget* FieldControl(actions::ConfigField field) const;
};

}  // namespace cpe
