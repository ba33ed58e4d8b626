#include "config/security_forms.h"

#include "config/config_form.h"
#include "pages/limit_marks.h"

#include <QComboBox>
#include <QLineEdit>

namespace cpe {

CWepDlg::CWepDlg(const actions::WepEntries& shown, QWidget* parent) : CTDialog(parent, Qt::Widget) {
    BuildConfigForm(*this, kDialogId);
    FillCombo(ComboAt(*this, ids::wep::kAuthentication), actions::WepAuthChoices(shown.authType));
    FillCombo(ComboAt(*this, ids::wep::kDefaultKey), actions::WepDefaultKeyChoices(shown.defaultKey));
    for (std::size_t i = 0; i < shown.keys.size(); ++i) {
        QLineEdit& key = EditAt(*this, ids::wep::kKeys[i]);
        SetEntryText(key, shown.keys[i].text);
        MarkLimit(key, actions::kWepKeyLimit);
        FillCombo(ComboAt(*this, ids::wep::kKeyTypes[i]), actions::WepKeyTypeChoices(shown.keys[i].type));
    }
}

actions::WepEntries CWepDlg::Entries() const {
    actions::WepEntries e;
    e.authType = SelectedOrNone(ComboAt(*this, ids::wep::kAuthentication));
    e.defaultKey = SelectedOrNone(ComboAt(*this, ids::wep::kDefaultKey));
    for (std::size_t i = 0; i < e.keys.size(); ++i)
        e.keys[i] = {EntryText(EditAt(*this, ids::wep::kKeys[i])),
                     SelectedOrNone(ComboAt(*this, ids::wep::kKeyTypes[i]))};
    return e;
}

QWidget* CWepDlg::FieldControl(actions::ConfigField field) const {
    const int index = static_cast<int>(field) - static_cast<int>(actions::ConfigField::kWepKey1);
    if (index < 0 || index >= static_cast<int>(ids::wep::kKeys.size()))
        return nullptr;
    return DlgItemWidget(this, ids::wep::kKeys[static_cast<std::size_t>(index)]);
}

CWpaDlg::CWpaDlg(const actions::WpaEntries& shown, QWidget* parent) : CTDialog(parent, Qt::Widget) {
    BuildConfigForm(*this, kDialogId);
    FillCombo(ComboAt(*this, ids::wpa::kCipher), actions::WpaCipherChoices(shown.cipher));
    SetEntryText(EditAt(*this, ids::wpa::kServer), shown.radius.server);
    SetEntryText(EditAt(*this, ids::wpa::kPort), shown.radius.port);
    QLineEdit& key = EditAt(*this, ids::wpa::kKey);
    SetEntryText(key, shown.radius.key);
    MarkLimit(key, actions::kKeyLimit);
    QLineEdit& interval = EditAt(*this, ids::wpa::kKeyInterval);
    SetEntryText(interval, shown.radius.interval);
    MarkLimit(interval, actions::kIntervalLimit);
}

actions::WpaEntries CWpaDlg::Entries() const {
    actions::WpaEntries e;
    e.cipher = SelectedOrNone(ComboAt(*this, ids::wpa::kCipher));
    e.radius = {EntryText(EditAt(*this, ids::wpa::kServer)), EntryText(EditAt(*this, ids::wpa::kPort)),
                EntryText(EditAt(*this, ids::wpa::kKey)), EntryText(EditAt(*this, ids::wpa::kKeyInterval))};
    return e;
}

QWidget* CWpaDlg::FieldControl(actions::ConfigField field) const {
    switch (field) {
    case actions::ConfigField::kRadiusServer: return DlgItemWidget(this, ids::wpa::kServer);
    case actions::ConfigField::kRadiusPort: return DlgItemWidget(this, ids::wpa::kPort);
    case actions::ConfigField::kRadiusKey: return DlgItemWidget(this, ids::wpa::kKey);
    case actions::ConfigField::kRadiusInterval: return DlgItemWidget(this, ids::wpa::kKeyInterval);
    default: return nullptr;
    }
}

}  // namespace cpe
