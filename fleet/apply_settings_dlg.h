// Apply to devices: a backup's wireless, VLAN and timed-reboot settings (never a name, an address
// or a bridge) sent to the checked devices of the list, one after another. Each device is checked
// against the backup's model set and the forms' checks, gets a backup of its own first, the
// configuration sender's burst and the wait, and its own result in the list.
#pragma once

#include <QTimer>
#include <chrono>
#include <deque>
#include <optional>
#include <string_view>

#include "actions/config/config_sender.h"
#include "actions/settings/settings_delivery.h"
#include "fleet/fleet_dialog.h"
#include "ui/resource_ids.h"
#include "ui/wait_dlg.h"

namespace cpe {

class CApplySettingsDlg : public CFleetDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kApplySettingsDlg;

    // Offers the backups of device `mac` for the devices now in the store. `waitTick` stands for the
    // wait popup's step of 500 ms in every wait (tests shorten it).
    CApplySettingsDlg(PageServices services, std::string mac, QWidget* parent = nullptr,
                      std::chrono::milliseconds waitTick = CWaitDlg::kTickPeriod);

    // Apply: the checked devices, one after another.
    void OnApply();
    bool Running() const { return m_current > 0 || !m_queue.empty(); }
    // The grid row of a device, or -1; the result its row shows.
    int RowOf(std::string_view mac) const;
    QString ResultOf(int row) const;
    // Closing while it runs sends to no further device; the device waiting for its report gets
    // its outcome now.
    void reject() override;

private:
    void ListDevices();
    void EnableChoice(bool enable);
    void SendToNext();
    void ConfirmCurrent();
    void SetResult(int row, const QString& text, bool good);

    const std::chrono::milliseconds m_waitTick;
    std::vector<ap_info_stu> m_devices;  // by grid row, from row 1
    std::deque<int> m_queue;             // rows still to send to
    int m_current = 0;                   // the row waiting for its device's report
    ap_info_stu m_currentRecord{};
    std::optional<actions::SettingsDelivery> m_delivery;
    QTimer m_confirm;
    // Last member: stopped and joined before anything it reads goes away.
    actions::ConfigSender m_sender;
};

}  // namespace cpe
