// Translation of whole windows, menus and combo boxes through the language lookup. A widget is
// translated once: a second call on the same widget changes nothing.
#pragma once

class QComboBox;
class QMenu;
class QWidget;

namespace cpe {

// Translates the window's title and the texts of all its descendants. Text-entry and list
// widgets (line edits, item views, date/time fields, progress bars, spin boxes, IP fields) are
// left alone; combo boxes get their items translated; a text of "..." stays as it is; a text
// whose translation is empty keeps its original.
void TranslateWindow(QWidget* window);
// Translates every item of the menu and its submenus.
void TranslateMenu(QMenu* menu);
// Translates every item, keeping the selection.
void TranslateComboBox(QComboBox* combo);

// Widgets carrying this dynamic property set to true are never translated (an IP field, a
// device name shown in a label, ...).
inline constexpr const char* kNoTranslateProperty = "cpeNoTranslate";

}  // namespace cpe
