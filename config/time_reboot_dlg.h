// The timed-reboot tab of the configuration dialog: the enable box, the time of day and the
// weekdays, with "Everyday" ticking and locking all seven.
#pragma once

#include "actions/config/timed_reboot_form_model.h"
#include "config/config_form.h"
#include "ui/resource_ids.h"

namespace cpe {

class CTimeRebootDlg : public CConfigFormDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kTimeRebootDlg;

    CTimeRebootDlg(actions::TimedRebootFormModel& model, QWidget* parent);

    actions::TimedRebootEntries Entries() const;
    QWidget* FieldControl(actions::ConfigField field) const override;

private:
    void ShowDays();

    actions::TimedRebootFormModel& m_model;
};

}  // namespace cpe
