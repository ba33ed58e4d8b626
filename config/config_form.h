// What the four forms of the configuration dialog share: each is a child dialog built from its
// template, shows a refused check in a warning box and puts the focus on the entry the check
// concerns; and the edit helpers that bind controls to the models.
#pragma once

#include <QString>
#include <string>

#include "actions/config/check_failure.h"
#include "pages/combo_choices.h"
#include "ui/ct_dialog.h"
#include "ui/dialog_template.h"
#include "ui/message_box.h"

class QComboBox;
class QLineEdit;

namespace cpe {

class CConfigFormDlg : public CTDialog {
    Q_OBJECT
public:
    CConfigFormDlg(int templateId, QWidget* parent);

    // Shows the check's message and focuses its entry when the form is on screen; the shown tab
    // never changes for a refusal.
    void ShowFailure(const actions::CheckFailure& failure);

    // The control that holds an entry of this form, or null.
    virtual QWidget* FieldControl(actions::ConfigField field) const = 0;
};

// Builds a form or sub-form from its template, translated, on the page background.
void BuildConfigForm(CTDialog& form, int templateId);

// The controls of a built form (they exist: the templates make them).
QComboBox& ComboAt(const QWidget& form, int id);
QLineEdit& EditAt(const QWidget& form, int id);

// The item data of the selected entry, or -1 (what the models take for "none") when none is.
int SelectedOrNone(const QComboBox& combo);

std::string EntryText(const QLineEdit& edit);
void SetEntryText(QLineEdit& edit, const std::string& text);

}  // namespace cpe
