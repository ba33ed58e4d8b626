// The upgrade page: the device list with check boxes, and its "Upgrade" button, which hands the
// ticked devices to the upgrade dialog. While the dialog runs, the Status column of the devices
// being upgraded follows their statuses; when it closes, the page searches again and reloads
// the list a second later.
#pragma once

#include <QTimer>
#include <chrono>
#include <vector>

#include "actions/upgrade/upgrade_plan.h"
#include "actions/upgrade/upgrade_timing.h"
#include "pages/list_page.h"
#include "ui/resource_ids.h"

namespace cpe {

namespace actions {
class COperateSystemInfo;
}

class CUpgradeDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kUpgradeDlg;
    static constexpr std::chrono::milliseconds kRefreshDelay{1000};

    CUpgradeDlg(QWidget* parent, PageHostLink& host, PageServices services);

    // The helpers and the timer periods the upgrade dialog works with: the program's own unless
    // set (tests).
    void SetUpgradeEnvironment(actions::COperateSystemInfo& helpers, const actions::UpgradeTimings& timings);
    // The Upgrade button.
    void OnUpgradeButton();
    // The ticked rows, in row order.
    std::vector<actions::UpgradeTarget> CheckedTargets() const;
    // Shows the status in the Status cell of the row with this MAC, if the list shows one.
    void ShowDeviceStatus(const QString& mac, int status);

    CTButtonPicture* UpgradeButton() const { return m_pUpgrade; }
    bool RefreshPending() const { return m_refresh.isActive(); }

private:
    CTButtonPicture* m_pUpgrade = nullptr;
    actions::COperateSystemInfo* m_pHelpers = nullptr;  // null: the program's own
    actions::UpgradeTimings m_timings;
    QTimer m_refresh;
};

}  // namespace cpe
