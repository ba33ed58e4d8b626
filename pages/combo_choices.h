// Drop-down lists filled from the choices the action layer makes: entries translated where the
// choice says so, the device's own values (which the lists do not offer) in italics, the item
// data of each entry, the selection and the enabled state. Filling emits no signal.
#pragma once

#include <optional>

#include "actions/config/wireless_choices.h"

class QComboBox;

namespace cpe {

void FillCombo(QComboBox& combo, const actions::Choices& choices);
// The item data of the selected entry; nothing when none is selected.
std::optional<int> SelectedData(const QComboBox& combo);
// Selects the first entry carrying `data`; the selection stays when none does.
void SelectData(QComboBox& combo, int data);

}  // namespace cpe
