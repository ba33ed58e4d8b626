// The help menu of the main window: four items (product, support, contact, help), each with its
// picture, each opening an address that the language file gives under its key.
#pragma once

#include <QPixmap>
#include <QUrl>
#include <array>
#include <memory>
#include <string_view>

class QMenu;
class QWidget;

namespace cpe {

struct HelpItem {
    int id;
    const char* text;    // English key of the item text
    const char* urlKey;  // key of the address in the language file
};

inline constexpr std::array<HelpItem, 4> kHelpItems = {{
    {32774, "Product", "Product_url"},
    {32775, "Support", "Support_url"},
    {32779, "Contact Us", "Contact_url"},
    {57670, "Help", "Help_url"},
}};

// Where the menu opens relative to the cursor.
inline constexpr int kHelpMenuOffsetX = -6;
inline constexpr int kHelpMenuOffsetY = 30;

// The menu with its translated items and their pictures (in item order); every item's data is
// its id, and triggering it opens its address.
std::unique_ptr<QMenu> BuildHelpMenu(QWidget* parent, const std::array<QPixmap, 4>& pictures);

// The address to open for a translated address text: absolute URLs as they are; a relative path
// (with or without "file:") names a file of the program folder and counts only when it exists.
// An empty URL when there is nothing to open.
QUrl ResolveHelpAddress(std::string_view text, std::string_view programDir);

// Opens the address of a key with the desktop's browser; false when there was nothing to open or
// the desktop refused (the menu ignores both).
bool OpenHelpAddress(std::string_view urlKey);

}  // namespace cpe
