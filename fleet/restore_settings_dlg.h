// Restore settings: a backup of the device chosen from the list, its fields beside what the device
// holds now (keys masked unless asked for), the blocks to send (name, wireless, VLAN, timed
// reboot, and the address only when ticked), and Restore, which sends them through the
// configuration sender with the forms' checks and waits as the configuration dialog does, then
// tells whether the device reports them. This is how a unit reset to its factory settings gets
// its own back.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "actions/config/config_sender.h"
#include "actions/settings/settings_restore.h"
#include "fleet/fleet_dialog.h"
#include "ui/resource_ids.h"
#include "ui/wait_dlg.h"

class QCheckBox;

namespace cpe {

inline constexpr const char* kDeviceNotOnlineKey =
    "The device is not online. Its settings can be sent once a search has found it again.";

class CRestoreSettingsDlg : public CFleetDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kRestoreSettingsDlg;
    // Shown in place of a key until the operator asks to see keys.
    static constexpr const char* kMaskedKey = "\u2022\u2022\u2022\u2022\u2022\u2022";

    // `waitTick` is the wait popup's step (tests shorten it).
    CRestoreSettingsDlg(PageServices services, std::string mac, QWidget* parent = nullptr,
                        std::chrono::milliseconds waitTick = CWaitDlg::kTickPeriod);

    QCheckBox* BlockBox(inventory::SettingsBlock block) const;
    QCheckBox* ShowKeysBox() const;
    actions::SettingsBlocks ChosenBlocks() const;
    CTStatic* ResultLabel() const;
    // The grid row of a field (its column name), or -1.
    int FieldRow(std::string_view name) const;
    // Restore: plan, backup, burst, wait, and what the device reports.
    void OnRestore();

private:
    void ShowFields();
    // What the device holds now: its store record while it is online, else its last record.
    std::optional<ap_info_stu> DeviceRecord(bool& online) const;

    const std::chrono::milliseconds m_waitTick;
    std::vector<std::string> m_fieldNames;  // by grid row, from row 1
    // Last member: stopped and joined before anything it reads goes away.
    actions::ConfigSender m_sender;
};

}  // namespace cpe
