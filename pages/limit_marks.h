// Edits bound to the entry limits of the action layer: marked as they reach the limit, never cut.
#pragma once

#include "actions/config/edit_limits.h"

class QLineEdit;

namespace cpe {

void MarkLimit(QLineEdit& edit, const actions::EntryLimit& limit);

}  // namespace cpe
