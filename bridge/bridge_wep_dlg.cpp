#include "bridge/bridge_wep_dlg.h"

#include "pages/combo_choices.h"
#include "pages/limit_marks.h"
#include "ui/dialog_template.h"

#include <QComboBox>
#include <QLineEdit>

namespace cpe {

CBridgeWepDlg::CBridgeWepDlg(QWidget* parent) : CBridgeStepDlg(kDialogId, parent) {

    m_pAuth = DlgItem<QComboBox>(this, ids::bridge_wep::kAuthList);
    m_pDefaultKey = DlgItem<QComboBox>(this, ids::bridge_wep::kDefaultKeyList);
    FillCombo(*m_pAuth, actions::WepAuthChoices(0));
    FillCombo(*m_pDefaultKey, actions::BridgeDefaultKeyChoices(0));
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        m_keys[i] = DlgItem<QLineEdit>(this, ids::bridge_wep::kKeyEdits[i]);
        MarkLimit(*m_keys[i], actions::kWepKeyLimit);
        m_types[i] = DlgItem<QComboBox>(this, ids::bridge_wep::kKeyTypeLists[i]);
        FillCombo(*m_types[i], actions::WepKeyTypeChoices(0));
    }
}

actions::BridgeWepEntries CBridgeWepDlg::Entries() const {
    actions::BridgeWepEntries e;
    e.authType = SelectedData(*m_pAuth).value_or(0);
    e.defaultKey = SelectedData(*m_pDefaultKey).value_or(0);
    for (std::size_t i = 0; i < m_keys.size(); ++i)
        e.keys[i] = {m_keys[i]->text().toStdString(), SelectedData(*m_types[i]).value_or(0)};
    return e;
}

void CBridgeWepDlg::SelectOpen() { SelectData(*m_pAuth, 0); }

}  // namespace cpe
