// Templates of the main window, its two panels, the wait popup, the install-help page and the
// About box.
#include "ui/dialog_template.h"
#include "ui/resource_ids.h"

namespace cpe {
namespace {

using K = ControlKind;

const std::vector<DialogTemplate> kShell = {
    {ids::kApplicationDlg,
     "CApplicationDlg",
     584,
     415,
     kDlgPopup | kDlgAppWindow | kDlgResizable,
     "CPEManagement",
     {
         {ids::application::kHelpButton, K::kPictureButton, "", 528, 2, 17, 10, kCtlNone, kStickRight},
         {ids::application::kMinButton, K::kPictureButton, "", 547, 2, 17, 10, kCtlNone, kStickRight},
         {ids::application::kCloseButton, K::kPictureButton, "", 565, 2, 17, 10, kCtlNone, kStickRight},
     }},
    {ids::kMenuDlg,
     "CMenuDlg",
     91,
     372,
     kDlgChild | kDlgResizable,
     "",
     {
         {ids::menu::kStatusButton, K::kPictureButton, "Device status", 0, 0, 90, 28},
         {ids::menu::kManagementButton, K::kPictureButton, "Device management", 0, 27, 90, 28},
         {ids::menu::kBridgeButton, K::kPictureButton, "Device bridge", 0, 53, 90, 28},
         {ids::menu::kRebootButton, K::kPictureButton, "Device reboot", 0, 80, 90, 28},
         {ids::menu::kUpgradeButton, K::kPictureButton, "Device upgrade", 0, 107, 90, 28},
         {ids::menu::kRestoreButton, K::kPictureButton, "Device restore", 0, 134, 90, 28},
         {ids::menu::kInventoryButton, K::kPictureButton, "Inventory", 0, 161, 90, 28},
         {ids::menu::kSystemToolButton, K::kPictureButton, "System tool", 0, 188, 90, 28},
         {ids::menu::kInstallHelpButton, K::kPictureButton, "Install Help", 0, 215, 90, 28},
         {ids::menu::kVersionLabel, K::kSkinLabel, "", 7, 347, 77, 9, kCtlCentre, kStickBottom},
     }},
    {ids::kChildDlg, "CChildDlg", 490, 372, kDlgChild | kDlgResizable, "", {}},
    // The wait popup: what it waits for in its title and one line, the time left in the bar.
    {ids::kWaitDlg,
     "CWaitDlg",
     264,
     62,
     kDlgPopup,
     "",
     {
         {ids::wait::kTitleStrip, K::kLabel, "", 0, 0, 264, 18},
         {ids::wait::kTitle, K::kSkinLabel, "", 8, 4, 230, 10},
         {ids::wait::kCloseButton, K::kPictureButton, "", 250, 4, 11, 10},
         {ids::wait::kText, K::kLabel, "", 8, 24, 248, 18},
         {ids::wait::kProgress, K::kProgress, "", 8, 46, 248, 10},
     }},
    {ids::kInstallHelpDlg,
     "CInstallHelpDlg",
     495,
     370,
     kDlgChild | kDlgResizable,
     "",
     {
         {ids::install_help::kHint, K::kSkinLabel, "", 7, 346, 230, 23, kCtlNone, kStickBottom},
     }},
    {ids::kAboutDlg,
     "CAboutDlg",
     200,
     62,
     kDlgPopup | kDlgCaption,
     "About CPEManagement",
     {
         {-1, K::kPicture, "", 14, 14, 21, 20},
         {ids::about::kProgramName, K::kLabel, "CPEManagement", 42, 14, 150, 8},
         {-1, K::kLabel, "Wireless CPE management utility", 42, 26, 150, 8},
         {1, K::kPushButton, "OK", 143, 41, 50, 14},
     }},
};

}  // namespace

std::span<const DialogTemplate> ShellTemplates() { return kShell; }

}  // namespace cpe
