// The frame the fleet dialogs share: a skinned popup with a title strip and close box, a line
// naming the device, a grid in the list pages' style, and Close at the foot; the dialogs that
// send settings add a backup list and their action button.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "inventory/known_device.h"
#include "inventory/settings_backup.h"
#include "pages/page_host.h"
#include "ui/ct_dialog.h"

class QComboBox;

namespace cpe {

class CGridCtrl;
class CTButtonPicture;
class CTStatic;

class CFleetDialog : public CTDialog {
    Q_OBJECT
public:
    CGridCtrl* Grid() const;
    CTButtonPicture* CloseButton() const;
    CTButtonPicture* CloseBox() const;
    CTStatic* DeviceLabel() const;
    // Dialogs with a backup list and an action button (Restore, Apply): else null.
    QComboBox* BackupList() const;
    CTButtonPicture* ActionButton() const;
    // The backups listed, newest first, in the order of the list's items.
    const std::vector<inventory::SettingsBackup>& ListedBackups() const { return m_backups; }
    // The backup chosen in the list, read whole from the inventory; null when none.
    std::optional<inventory::SettingsBackup> ChosenBackup() const;

protected:
    // Builds dialog `dialogId` for the device `mac` (its line says what the inventory knows).
    CFleetDialog(int dialogId, PageServices services, std::string mac, QWidget* parent);

    // Columns of the grid: header keys and widths in pixels; a first column of check boxes when
    // `checkBoxes`.
    void SetUpGrid(const std::vector<std::pair<const char*, int>>& columns, bool checkBoxes);
    // Lists the device's backups, newest first, the newest chosen.
    void ListBackups();

    const PageServices& Services() const { return m_services; }
    const std::string& Mac() const { return m_mac; }
    // What the inventory knows of the device (an empty one when nothing).
    const inventory::KnownDevice& Known() const { return m_known; }

    // Clicks on the grid's check boxes flip them.
    bool event(QEvent* e) override;

private:
    void InitSkin();

    PageServices m_services;
    std::string m_mac;
    inventory::KnownDevice m_known;
    std::vector<inventory::SettingsBackup> m_backups;
};

}  // namespace cpe
