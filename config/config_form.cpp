#include "config/config_form.h"

#include "ui/translate_window.h"

#include <QComboBox>
#include <QLineEdit>

namespace cpe {

CConfigFormDlg::CConfigFormDlg(int templateId, QWidget* parent) : CTDialog(parent, Qt::Widget) {
    BuildConfigForm(*this, templateId);
}

void CConfigFormDlg::ShowFailure(const actions::CheckFailure& failure) {
    ShowMessageBox(window(), QString::fromStdString(failure.Text()), MessageIcon::kExclamation);
    if (QWidget* control = FieldControl(failure.field); control && control->isVisible())
        control->setFocus(Qt::OtherFocusReason);
}

void BuildConfigForm(CTDialog& form, int templateId) {
    BuildDialog(&form, templateId);
    TranslateWindow(&form);
    form.m_bFill = true;
    form.m_crFill = Skin().childBkColor;
}

QComboBox& ComboAt(const QWidget& form, int id) { return *DlgItem<QComboBox>(&form, id); }

QLineEdit& EditAt(const QWidget& form, int id) { return *DlgItem<QLineEdit>(&form, id); }

int SelectedOrNone(const QComboBox& combo) { return SelectedData(combo).value_or(-1); }

std::string EntryText(const QLineEdit& edit) { return edit.text().toStdString(); }

void SetEntryText(QLineEdit& edit, const std::string& text) { edit.setText(QString::fromStdString(text)); }

}  // namespace cpe
