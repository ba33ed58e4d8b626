// The timed-reboot tab of the configuration dialog: the enable box, the time of day and the
// weekdays, with "Everyday" ticking and locking all seven.
#pragma once

#include "actions/timed_reboot_form_model.h"
#include "config/config_form.h"
#include "ui/resource_ids.h"

namespace cpe {

class CTimeRebootDlg : public CConfigFormDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kTimeRebootDlg;

    CTimeRebootDlg(TimedRebootFormModel& model, QWidget* parent);

    TimedRebootEntries Entries() const;
    QWidget* FieldControl(ConfigField field) const override;

private:
    void ShowDays();

    TimedRebootFormModel& m_model;
};

}  // namespace cpe
