// Templates of the device list pages and the adapter page. The list pages share one layout; they
// differ in the grid id, the action button and the hint text.
#include "ui/dialog_template.h"

namespace cpe {
namespace {

using K = ControlKind;

struct ListPage {
    int id;
    const char* className;
    int gridId;
    int actionId;            // 0: the page has no action button of its own
    const char* actionText;  // text of the action button
    const char* hint;
    bool searchVisible;      // the status page's "Search" button
    bool busyPicture;        // the discovery run animation
};

DialogTemplate MakeListPage(const ListPage& p)
{
    DialogTemplate t{p.id, p.className, 495, 370, kDlgChild, "", {}};
    auto& c = t.controls;
    c.push_back({1003, K::PictureButton, "Search", 7, 5, 40, 18, p.searchVisible ? kCtlNone : kCtlHidden});
    if (p.actionId != 0)
        c.push_back({p.actionId, K::PictureButton, p.actionText, 7, 5, 40, 18});
    c.push_back({1074, K::PictureButton, "", 50, 9, 10, 10});
    c.push_back({1017, K::SkinLabel, "", 66, 10, 163, 12});
    c.push_back({1010, K::Picture, "", 373, 7, 16, 18});
    c.push_back({1011, K::Picture, "", 462, 7, 8, 14});
    c.push_back({1009, K::SkinEdit, "", 389, 9, 74, 14});
    c.push_back({p.gridId, K::Grid, "", 7, 25, 478, 309});
    if (p.busyPicture)
        c.push_back({1138, K::Picture, "", 231, 170, 16, 15, kCtlHidden});
    c.push_back({1012, K::Picture, "", 6, 338, 464, 1});
    // Seven page slots need about 161 units: the pager starts where the hint text ends.
    c.push_back({1130, K::SkinLabel, p.hint, 7, 341, 214, 29});
    c.push_back({1016, K::Pager, "", 222, 343, 164, 16});
    c.push_back({1014, K::SkinLabel, "Each page number", 390, 346, 40, 12});
    c.push_back({1013, K::DropList, "", 434, 344, 36, 59});
    return t;
}

std::vector<DialogTemplate> MakePages()
{
    const ListPage lists[] = {
        {133, "CStatusDlg", 1015, 0, "",
         "Here you can view device's IP,mac,operating mode,SSID and firmware versoin etc parameters.", true, true},
        {134, "CManagementDlg", 1018, 0, "",
         "Here you can set device's wireless basic parameters,IP information and regular reboot.", false, false},
        {135, "CBridgeDlg", 1019, 0, "",
         "Here you can set the device to work in Station mode to connect to remote AP.", false, false},
        {136, "CRebootDlg", 1128, 1001, "Reboot", "Here you can reboot all the device remotely.", false, false},
        {137, "CUpgradeDlg", 1096, 1006, "Upgrade",
         "Here you can upgrade firmware for the device to obtain new features.", false, false},
        {138, "CRestoreDlg", 1097, 1001, "Restore", "Here you can restore the device to factory default settings.",
         false, false},
    };
    std::vector<DialogTemplate> pages;
    for (const ListPage& p : lists)
        pages.push_back(MakeListPage(p));
    pages.push_back({155, "CSystemToolDlg", 495, 370, kDlgChild, "",
                     {
                         {1017, K::SkinLabel, "Adapter count:%d", 8, 10, 205, 12},
                         {1103, K::Grid, "", 7, 25, 478, 309},
                         {1012, K::Picture, "", 6, 338, 464, 1},
                         {1130, K::SkinLabel,
                          "Here you can select the network adapter of computer according to the connection in your "
                          "network.",
                          7, 346, 230, 23},
                     }});
    return pages;
}

const std::vector<DialogTemplate> kPages = MakePages();

}  // namespace

std::span<const DialogTemplate> PageTemplates()
{
    return kPages;
}

}  // namespace cpe
