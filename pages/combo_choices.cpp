#include "pages/combo_choices.h"

#include "ui/page_text.h"

#include <QComboBox>

namespace cpe {

void FillCombo(QComboBox& combo, const actions::Choices& choices) {
    const bool blocked = combo.blockSignals(true);
    combo.clear();
    for (const actions::ChoiceEntry& entry : choices.entries) {
        const QString text = entry.translate ? PageText(entry.text.c_str()) : QString::fromStdString(entry.text);
        combo.addItem(text, entry.data);
        if (entry.deviceOnly) {
            QFont italic = combo.font();
            italic.setItalic(true);
            combo.setItemData(combo.count() - 1, italic, Qt::FontRole);
        }
    }
    combo.setCurrentIndex(choices.selected);
    combo.setEnabled(choices.enabled);
    combo.blockSignals(blocked);
}

std::optional<int> SelectedData(const QComboBox& combo) {
    if (combo.currentIndex() < 0)
        return std::nullopt;
    return combo.currentData().toInt();
}

void SelectData(QComboBox& combo, int data) {
    if (const int index = combo.findData(data); index >= 0)
        combo.setCurrentIndex(index);
}

}  // namespace cpe
