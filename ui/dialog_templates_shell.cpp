// Templates of the main window, its two panels, the wait popup, the install-help page and the
// About box.
#include "ui/dialog_template.h"

namespace cpe {
namespace {

using K = ControlKind;

const std::vector<DialogTemplate> kShell = {
    {102, "CApplicationDlg", 584, 415, kDlgPopup | kDlgAppWindow, "CPEManagement",
     {
         {1001, K::PictureButton, "", 528, 2, 17, 10},
         {1002, K::PictureButton, "", 547, 2, 17, 10},
         {1000, K::PictureButton, "", 565, 2, 17, 10},
     }},
    {130, "CMenuDlg", 91, 372, kDlgChild, "",
     {
         {1004, K::PictureButton, "Device status", 0, 0, 90, 28},
         {1007, K::PictureButton, "Device management", 0, 27, 90, 28},
         {1003, K::PictureButton, "Device bridge", 0, 53, 90, 28},
         {1009, K::PictureButton, "Device reboot", 0, 80, 90, 28},
         {1006, K::PictureButton, "Device upgrade", 0, 107, 90, 28},
         {1005, K::PictureButton, "Device restore", 0, 134, 90, 28},
         {1001, K::PictureButton, "System tool", 0, 161, 90, 28},
         {1008, K::PictureButton, "Install Help", 0, 188, 90, 28},
         {1024, K::SkinLabel, "", 7, 347, 77, 9, kCtlCentre},
     }},
    {129, "CChildDlg", 490, 372, kDlgChild, "", {}},
    {156, "CWaitDlg", 264, 26, kDlgPopup, "",
     {
         {1136, K::Progress, "", 7, 9, 250, 10},
         {1000, K::PictureButton, "", 252, 0, 11, 9},
     }},
    {139, "CInstallHelpDlg", 495, 370, kDlgChild, "",
     {
         {1130, K::SkinLabel, "", 7, 346, 230, 23},
     }},
    {100, "CAboutDlg", 170, 62, kDlgPopup | kDlgCaption, "About CPEManagement",
     {
         {-1, K::Picture, "", 14, 14, 21, 20},
         {-1, K::Label, "CPEManagement", 42, 14, 114, 8},
         {-1, K::Label, "Wireless CPE management utility", 42, 26, 114, 8},
         {1, K::PushButton, "OK", 113, 41, 50, 14},
     }},
};

}  // namespace

std::span<const DialogTemplate> ShellTemplates()
{
    return kShell;
}

}  // namespace cpe
