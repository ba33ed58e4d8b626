// Templates of the fleet dialogs opened from the Inventory page: a device's history, restoring a
// backup's settings to the device, and applying a backup's settings to other devices. They share
// the configuration dialog's frame: a title strip with a close box, and the buttons at the foot.
#include "ui/dialog_template.h"
#include "ui/resource_ids.h"

namespace cpe {
namespace {

using K = ControlKind;
namespace f = ids::fleet;

DialogTemplate Frame(int id, const char* className, int cx, int cy, const char* title) {
    DialogTemplate t{id, className, cx, cy, kDlgPopup, title, {}};
    t.controls.push_back({f::kTitleStrip, K::kSkinLabel, "", 0, 0, cx, 20});
    t.controls.push_back({f::kTitle, K::kSkinLabel, title, 8, 5, cx - 40, 10});
    t.controls.push_back({f::kCloseBox, K::kPictureButton, "", cx - 16, 4, 12, 11});
    t.controls.push_back({f::kDevice, K::kSkinLabel, "", 8, 25, cx - 16, 10});
    t.controls.push_back({f::kSeparator, K::kPicture, "", 0, cy - 26, cx, 1});
    t.controls.push_back({f::kCloseButton, K::kPictureButton, "Close", cx - 58, cy - 21, 50, 16});
    return t;
}

std::vector<DialogTemplate> MakeFleet() {
    std::vector<DialogTemplate> dialogs;

    DialogTemplate history = Frame(ids::kHistoryDlg, "CHistoryDlg", 456, 250, "History");
    history.controls.push_back({f::kGrid, K::kGrid, "", 8, 38, 440, 180});
    dialogs.push_back(std::move(history));

    DialogTemplate restore = Frame(ids::kRestoreSettingsDlg, "CRestoreSettingsDlg", 400, 310, "Restore settings");
    auto& r = restore.controls;
    r.push_back({-1, K::kLabel, "Backup", 8, 41, 40, 8});
    r.push_back({f::kBackupList, K::kDropList, "", 50, 39, 250, 80});
    r.push_back({f::kShowKeys, K::kCheckBox, "Show keys", 310, 40, 82, 10});
    r.push_back({f::kGrid, K::kGrid, "", 8, 56, 384, 170});
    r.push_back({-1, K::kLabel, "Send", 8, 233, 40, 8});
    r.push_back({f::kNameBlock, K::kCheckBox, "Location", 50, 232, 62, 10});
    r.push_back({f::kWirelessBlock, K::kCheckBox, "WirelessSet", 114, 232, 70, 10});
    r.push_back({f::kVlanBlock, K::kCheckBox, "VLAN", 186, 232, 50, 10});
    r.push_back({f::kTimedRebootBlock, K::kCheckBox, "TimeReboot", 238, 232, 80, 10});
    r.push_back({f::kIpBlock, K::kCheckBox, "IPSET", 320, 232, 72, 10});
    r.push_back({f::kResult, K::kSkinLabel, "", 8, 248, 384, 30});
    r.push_back({f::kActionButton, K::kPictureButton, "Restore", 284, 289, 50, 16});
    dialogs.push_back(std::move(restore));

    DialogTemplate apply = Frame(ids::kApplySettingsDlg, "CApplySettingsDlg", 400, 310, "Apply to devices");
    auto& a = apply.controls;
    a.push_back({-1, K::kLabel, "Backup", 8, 41, 40, 8});
    a.push_back({f::kBackupList, K::kDropList, "", 50, 39, 250, 80});
    a.push_back({f::kHint, K::kSkinLabel,
                 "The wireless, VLAN and timed reboot settings of the backup go to each checked device, one after "
                 "another; names, addresses and bridges stay as they are.",
                 8, 56, 384, 20});
    a.push_back({f::kGrid, K::kGrid, "", 8, 78, 384, 200});
    a.push_back({f::kActionButton, K::kPictureButton, "Apply", 284, 289, 50, 16});
    dialogs.push_back(std::move(apply));
    return dialogs;
}

const std::vector<DialogTemplate> kFleet = MakeFleet();

}  // namespace

std::span<const DialogTemplate> FleetTemplates() { return kFleet; }

}  // namespace cpe
