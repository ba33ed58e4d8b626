#include "config/config_form.h"

#include "lang/language.h"
#include "ui/translate_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace cpe {

CConfigFormDlg::CConfigFormDlg(int templateId, QWidget* parent, FailureStyle failureStyle)
    : CTDialog(parent, Qt::Widget), m_failureStyle(failureStyle)
{
    BuildConfigForm(*this, templateId);
}

void CConfigFormDlg::ShowFailure(const CheckFailure& failure)
{
    ShowMessageBox(window(), QString::fromStdString(failure.Text()), m_failureStyle.icon, MessageButtons::Ok,
                   m_failureStyle.caption);
    if (QWidget* control = FieldControl(failure.field); control && control->isVisible())
        control->setFocus(Qt::OtherFocusReason);
}

void BuildConfigForm(CTDialog& form, int templateId)
{
    BuildDialog(&form, templateId);
    TranslateWindow(&form);
    form.m_bFill = true;
    form.m_crFill = Skin().childBkColor;
}

QComboBox& ComboAt(const QWidget& form, int id)
{
    return *DlgItem<QComboBox>(&form, id);
}

QLineEdit& EditAt(const QWidget& form, int id)
{
    return *DlgItem<QLineEdit>(&form, id);
}

void FillCombo(QComboBox& combo, const Choices& choices)
{
    const QSignalBlocker quiet(combo);
    combo.clear();
    for (const ChoiceEntry& entry : choices.entries) {
        combo.addItem(entry.translate ? Translated(entry.text) : QString::fromStdString(entry.text), entry.data);
        if (entry.deviceOnly) {
            QFont italic = combo.font();
            italic.setItalic(true);
            combo.setItemData(combo.count() - 1, italic, Qt::FontRole);
        }
    }
    combo.setCurrentIndex(choices.selected);
    combo.setEnabled(choices.enabled);
}

int SelectedData(const QComboBox& combo)
{
    return combo.currentIndex() < 0 ? -1 : combo.currentData().toInt();
}

std::string EntryText(const QLineEdit& edit)
{
    return edit.text().toStdString();
}

void SetEntryText(QLineEdit& edit, const std::string& text)
{
    edit.setText(QString::fromStdString(text));
}

QString Translated(std::string_view key)
{
    return QString::fromStdString(TranslateString(key));
}

}  // namespace cpe
