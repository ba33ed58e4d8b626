#include "config/vlan_dlg.h"

#include <QCheckBox>
#include <QLineEdit>

namespace cpe {
namespace {

namespace v = ids::vlan;

constexpr int kIdEdits[] = {v::kManage, v::kWlan, v::kLan};

}  // namespace

CVlanDlg::CVlanDlg(actions::VlanFormModel& model, QWidget* parent) : CConfigFormDlg(kDialogId, parent), m_model(model) {
    const actions::VlanEntries& shown = m_model.InitialEntries();
    SetEntryText(EditAt(*this, v::kManage), shown.manage);
    SetEntryText(EditAt(*this, v::kWlan), shown.wlan);
    SetEntryText(EditAt(*this, v::kLan), shown.lan);
    if (!m_model.LanVisible()) {
        DlgItemWidget(this, v::kLanLabel)->hide();
        DlgItemWidget(this, v::kLan)->hide();
    }
    auto* enable = DlgItem<QCheckBox>(this, v::kEnable);
    enable->setChecked(m_model.Enabled());
    connect(enable, &QCheckBox::toggled, this, [this](bool on) {
        m_model.SetEnabled(on);
        ShowEnabled();
    });
    ShowEnabled();
}

void CVlanDlg::ShowEnabled() {
    for (int id : kIdEdits)
        DlgItemWidget(this, id)->setEnabled(m_model.Enabled());
}

actions::VlanEntries CVlanDlg::Entries() const {
    return {EntryText(EditAt(*this, v::kManage)), EntryText(EditAt(*this, v::kWlan)),
            EntryText(EditAt(*this, v::kLan))};
}

QWidget* CVlanDlg::FieldControl(actions::ConfigField field) const {
    switch (field) {
    case actions::ConfigField::kManageVlan: return DlgItemWidget(this, v::kManage);
    case actions::ConfigField::kWlanVlan: return DlgItemWidget(this, v::kWlan);
    case actions::ConfigField::kLanVlan: return DlgItemWidget(this, v::kLan);
    default: return nullptr;
    }
}

}  // namespace cpe
