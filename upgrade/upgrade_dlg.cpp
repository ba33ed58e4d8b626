#include "upgrade/upgrade_dlg.h"

#include "actions/upgrade/operate_system_info.h"
#include "engine/net_management.h"
#include "pages/code_texts.h"
#include "protocol/codes.h"
#include "ui/ct_button_picture.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/message_box.h"
#include "ui/page_text.h"
#include "upgrade/upgrade_config_dlg.h"
#include "upgrade/upgrade_messages.h"

namespace cpe {

CUpgradeDlg::CUpgradeDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CListPageDlg(*FindListPageTraits(kDialogId), parent, host, services) {
    m_pUpgrade = SetUpActionButton(Traits().actionId, "Upgrade");
    m_pUpgrade->show();
    connect(m_pUpgrade, &QAbstractButton::clicked, this, &CUpgradeDlg::OnUpgradeButton);

    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshDelay);
    connect(&m_refresh, &QTimer::timeout, this, [this] { RefreshList(); });
}

void CUpgradeDlg::SetUpgradeEnvironment(actions::COperateSystemInfo& helpers, const actions::UpgradeTimings& timings) {
    m_pHelpers = &helpers;
    m_timings = timings;
}

std::vector<actions::UpgradeTarget> CUpgradeDlg::CheckedTargets() const {
    std::vector<actions::UpgradeTarget> targets;
    for (int row = 1; row < Grid()->GetRowCount(); ++row) {
        const CGridCellCheck* check = Grid()->GetCheckCell(row);
        if (!check || !check->GetCheck())
            continue;
        targets.push_back({CellAnsi(row, ListColumn::kIp), CellAnsi(row, ListColumn::kMac),
                           ModelCode(CellAnsi(row, ListColumn::kType))});
    }
    return targets;
}

void CUpgradeDlg::OnUpgradeButton() {
    std::vector<actions::UpgradeTarget> targets = CheckedTargets();
    if (targets.empty()) {
        ShowMessageBox(this, PageText(upgrade_message::kSelectDevices), MessageIcon::kExclamation);
        return;
    }
    {
        actions::COperateSystemInfo& helpers = m_pHelpers ? *m_pHelpers : actions::COperateSystemInfo::GetInstance();
        CUpgradeConfigDlg dialog(
            std::move(targets),
            UpgradeServices{Services().engine, Services().store, helpers, m_timings, Services().inventory}, this);
        connect(&dialog, &CUpgradeConfigDlg::DeviceStatusRead, this, &CUpgradeDlg::ShowDeviceStatus);
        dialog.exec();
    }
    Services().engine.Search();
    m_refresh.start();
}

void CUpgradeDlg::ShowDeviceStatus(const QString& mac, int status) {
    CGridCtrl& grid = *Grid();
    const int macColumn = Traits().ColumnOf(ListColumn::kMac);
    const int statusColumn = Traits().ColumnOf(ListColumn::kStatus);
    const QString text = QString::fromStdString(StatusText(status));
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        if (grid.GetItemText(row, macColumn) != mac)
            continue;
        (status != kStatusOffline ? SetOnlineCell : SetDataCell)(grid, row, statusColumn, text, kCellFormat);
        grid.RedrawCell(row, statusColumn);
    }
}

}  // namespace cpe
