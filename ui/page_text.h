// Translated texts of the windows, and the count labels filled from a translated pattern.
#pragma once

#include <QString>

namespace cpe {

class CTStatic;

QString PageText(const char* key);
// The translated pattern of `key` with its first "%d" replaced by `count`. Only that one
// placeholder is filled: a translation carrying other conversions shows them as they stand.
QString CountText(const char* key, int count);
// "Online device count:%d" on the list pages' count label.
void SetOnlineCountText(CTStatic& label, int count);

}  // namespace cpe
