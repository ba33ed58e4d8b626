#include "config/time_reboot_dlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace cpe {
namespace {

namespace t = ids::time_reboot;

}  // namespace

CTimeRebootDlg::CTimeRebootDlg(actions::TimedRebootFormModel& model, QWidget* parent)
    : CConfigFormDlg(kDialogId, parent), m_model(model) {
    SetEntryText(EditAt(*this, t::kHour), m_model.InitialEntries().hour);
    SetEntryText(EditAt(*this, t::kMinute), m_model.InitialEntries().minute);
    auto onToggle = [this](int id, auto&& react) {
        connect(DlgItem<QCheckBox>(this, id), &QCheckBox::clicked, this, [this, react](bool on) {
            react(on);
            ShowDays();
        });
    };
    onToggle(t::kEnable, [this](bool on) { m_model.SetEnabled(on); });
    onToggle(t::kEveryday, [this](bool on) { m_model.SetEveryday(on); });
    for (int day = 0; day < actions::TimedRebootFormModel::kDays; ++day)
        onToggle(t::kWeekdays[static_cast<std::size_t>(day)], [this, day](bool on) { m_model.SetWeekday(day, on); });
    ShowDays();
}

void CTimeRebootDlg::ShowDays() {
    auto show = [this](int id, bool checked, bool enabled) {
        auto* box = DlgItem<QCheckBox>(this, id);
        const QSignalBlocker quiet(box);
        box->setChecked(checked);
        box->setEnabled(enabled);
    };
    show(t::kEnable, m_model.Enabled(), true);
    show(t::kEveryday, m_model.Everyday(), m_model.EverydayEnabled());
    for (int day = 0; day < actions::TimedRebootFormModel::kDays; ++day)
        show(t::kWeekdays[static_cast<std::size_t>(day)], m_model.WeekdayChecked(day), m_model.WeekdaysEnabled());
    DlgItemWidget(this, t::kHour)->setEnabled(m_model.TimeEnabled());
    DlgItemWidget(this, t::kMinute)->setEnabled(m_model.TimeEnabled());
}

actions::TimedRebootEntries CTimeRebootDlg::Entries() const {
    return {EntryText(EditAt(*this, t::kHour)), EntryText(EditAt(*this, t::kMinute))};
}

QWidget* CTimeRebootDlg::FieldControl(actions::ConfigField field) const {
    switch (field) {
    case actions::ConfigField::kHour: return DlgItemWidget(this, t::kHour);
    case actions::ConfigField::kMinute: return DlgItemWidget(this, t::kMinute);
    default: return nullptr;
    }
}

}  // namespace cpe
