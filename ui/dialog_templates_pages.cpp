// Templates of the device list pages, the Inventory page and the adapter page. The list pages
// share one layout; they differ in the grid id, the action button and the hint text, and the
// Inventory page adds its choice of online, offline or all devices.
#include "ui/dialog_template.h"
#include "ui/resource_ids.h"

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
    bool searchVisible;  // the status page's "Search" button
    bool busyPicture;    // the discovery run animation
};

DialogTemplate MakeListPage(const ListPage& p) {
    DialogTemplate t{p.id, p.className, 495, 370, kDlgChild | kDlgResizable, "", {}};
    auto& c = t.controls;
    using namespace ids::list_page;
    c.push_back({kSearchButton, K::kPictureButton, "Search", 7, 5, 40, 18, p.searchVisible ? kCtlNone : kCtlHidden});
    if (p.actionId != 0)
        c.push_back({p.actionId, K::kPictureButton, p.actionText, 7, 5, 40, 18});
    c.push_back({kRefreshButton, K::kPictureButton, "", 50, 9, 10, 10});
    c.push_back({kOnlineCount, K::kSkinLabel, "", 66, 10, 163, 12});
    c.push_back({kSearchFrameLeft, K::kPicture, "", 373, 7, 16, 18, kCtlNone, kStickRight});
    c.push_back({kSearchFrameRight, K::kPicture, "", 462, 7, 8, 14, kCtlNone, kStickRight});
    c.push_back({kSearchEdit, K::kSkinEdit, "", 389, 9, 74, 14, kCtlNone, kStickRight});
    c.push_back({p.gridId, K::kGrid, "", 7, 25, 478, 309, kCtlNone, kFillBoth});
    if (p.busyPicture)
        c.push_back({kBusyPicture, K::kPicture, "", 231, 170, 16, 15, kCtlHidden, kCentre});
    c.push_back({kSeparator, K::kPicture, "", 6, 338, 464, 1, kCtlStretchPicture, kBottomFillX});
    // Seven page slots take 242 x 24 pixels (161 x 15 units); at 140 x 14 units (210 x 23 pixels)
    // the first and the last page would be cut in half. The pager therefore starts where the
    // hint text ends and is 164 x 16 units. As the page grows, the hint takes half the new width
    // and the pager stays centred under the list between it and the page size.
    c.push_back({kHint, K::kSkinLabel, p.hint, 7, 341, 214, 29, kCtlNone, {0, 100, 50, 0}});
    c.push_back({kPager, K::kPager, "", 222, 343, 164, 16, kCtlNone, {50, 100, 0, 0}});
    c.push_back({kPageSizeLabel, K::kSkinLabel, "Each page number", 390, 346, 40, 12, kCtlNone, kStickBottomRight});
    c.push_back({kPageSize, K::kDropList, "", 434, 344, 36, 59, kCtlNone, kStickBottomRight});
    return t;
}

std::vector<DialogTemplate> MakePages() {
    const ListPage lists[] = {
        {ids::kStatusDlg, "CStatusDlg", ids::list_page::kStatusGrid, 0, "",
         "Here you can view device's IP,mac,operating mode,SSID and firmware versoin etc parameters.", true, true},
        {ids::kManagementDlg, "CManagementDlg", ids::list_page::kManagementGrid, 0, "",
         "Here you can set device's wireless basic parameters,IP information and regular reboot.", false, false},
        {ids::kBridgeDlg, "CBridgeDlg", ids::list_page::kBridgeGrid, 0, "",
         "Here you can set the device to work in Station mode to connect to remote AP.", false, false},
        {ids::kRebootDlg, "CRebootDlg", ids::list_page::kRebootGrid, ids::list_page::kRebootButton, "Reboot",
         "Here you can reboot all the device remotely.", false, false},
        {ids::kUpgradeDlg, "CUpgradeDlg", ids::list_page::kUpgradeGrid, ids::list_page::kUpgradeButton, "Upgrade",
         "Here you can upgrade firmware for the device to obtain new features.", false, false},
        {ids::kRestoreDlg, "CRestoreDlg", ids::list_page::kRestoreGrid, ids::list_page::kRestoreButton, "Restore",
         "Here you can restore the device to factory default settings.", false, false},
    };
    std::vector<DialogTemplate> pages;
    for (const ListPage& p : lists)
        pages.push_back(MakeListPage(p));
    DialogTemplate inventory = MakeListPage(
        {ids::kInventoryDlg, "CInventoryDlg", ids::list_page::kInventoryGrid, 0, "",
         "Every device found so far, online or not, with its history and its settings backups.", false, false});
    inventory.controls.push_back({ids::list_page::kFilterLabel, K::kSkinLabel, "Show", 232, 10, 36, 12, kCtlRight});
    inventory.controls.push_back({ids::list_page::kFilterList, K::kDropList, "", 272, 8, 72, 59});
    pages.push_back(std::move(inventory));
    pages.push_back(
        {ids::kSystemToolDlg,
         "CSystemToolDlg",
         495,
         370,
         kDlgChild | kDlgResizable,
         "",
         {
             {ids::system_tool::kCount, K::kSkinLabel, "Adapter count:%d", 8, 10, 205, 12},
             {ids::system_tool::kGrid, K::kGrid, "", 7, 25, 478, 309, kCtlNone, kFillBoth},
             {ids::system_tool::kSeparator, K::kPicture, "", 6, 338, 464, 1, kCtlStretchPicture, kBottomFillX},
             {ids::system_tool::kHint, K::kSkinLabel,
              "Here you can select the network adapter of computer according to the connection in your "
              "network.",
              7, 346, 230, 23, kCtlNone, kBottomFillX},
         }});
    return pages;
}

const std::vector<DialogTemplate> kPages = MakePages();

}  // namespace

std::span<const DialogTemplate> PageTemplates() { return kPages; }

}  // namespace cpe
