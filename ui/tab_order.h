// Tab walks a window's entries in reading order: row by row from the top, left to right in a row,
// whatever order the controls and sub-forms were created in. Hidden and disabled entries are
// skipped as Tab meets them.
#pragma once

#include <vector>

class QWidget;

namespace cpe {

// The entries of `root` (every descendant that takes the focus by Tab) in reading order.
std::vector<QWidget*> ReadingOrder(const QWidget& root);
// Chains them in that order.
void SetReadingTabOrder(QWidget& root);

}  // namespace cpe
