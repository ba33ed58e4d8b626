#include "pages/reboot_restore_dlg.h"

#include "engine/net_management.h"
#include "inventory/inventory.h"
#include "pages/code_texts.h"
#include "pages/wait_job_texts.h"
#include "ui/ct_button_picture.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/message_box.h"
#include "ui/page_text.h"

namespace cpe {

CRebootRestoreDlg::CRebootRestoreDlg(int dialogId, const actions::RebootRestoreKind& kind, const char* actionKey,
                                     QWidget* parent, PageHostLink& host, PageServices services)
    : CListPageDlg(*FindListPageTraits(dialogId), parent, host, services),
      m_action(kind, services.engine, services.store) {
    m_pAction = SetUpActionButton(Traits().actionId, actionKey);
    m_pAction->show();
    connect(m_pAction, &QAbstractButton::clicked, this, &CRebootRestoreDlg::OnActionButton);

    connect(&m_followUp, &QTimer::timeout, this, &CRebootRestoreDlg::OnFollowUpTick);
    m_refresh.setSingleShot(true);
    connect(&m_refresh, &QTimer::timeout, this, [this] { RefreshList(); });
    SetTimings(Timings{});
}

CRebootRestoreDlg::~CRebootRestoreDlg() {
    m_followUp.stop();
    m_refresh.stop();
    if (m_pWait) {
        m_pWait->disconnect(this);
        delete m_pWait.data();
    }
}

void CRebootRestoreDlg::SetTimings(const Timings& timings) {
    m_timings = timings;
    m_followUp.setInterval(timings.followUpPeriod);
    m_refresh.setInterval(timings.refreshDelay);
}

void CRebootRestoreDlg::OnActionButton() {
    if (m_pWait)
        return;
    const std::vector<actions::ListedRow> rows = ListedRows();
    m_action.SetSelection(actions::SelectCheckedRows(rows));
    if (m_action.Selection().empty()) {
        ShowMessageBox(this, PageText(actions::kSelectDevicesKey), MessageIcon::kExclamation);
        return;
    }
    if (ShowMessageBox(this, PageText(m_action.Kind().confirmKey), MessageIcon::kQuestion, MessageButtons::kOkCancel) !=
        IDOK)
        return;

    if (inventory::Inventory* fleet = Services().inventory) {
        const bool factory = m_action.Kind().command == MessageType::restore;
        for (const actions::SelectedDevice& device : m_action.Selection()) {
            if (factory)
                fleet->TakeBackup(device.mac, inventory::backup_reason::kBeforeFactoryRestore);
            fleet->RecordAction(
                device.mac, factory ? inventory::event_kind::kFactoryRestore : inventory::event_kind::kReboot, "sent");
        }
    }
    m_action.StartSender();
    m_followUp.start();
    // Modal without a nested event loop: the page and the program may end while it is shown.
    m_pWait = new CWaitDlg(WaitTextsOf(m_action.Wait()), m_timings.waitSeconds, this, m_timings.waitTick);
    m_pWait->setWindowModality(Qt::ApplicationModal);
    connect(m_pWait, &QDialog::finished, this, &CRebootRestoreDlg::OnWaitClosed);
    m_pWait->show();
}

void CRebootRestoreDlg::OnFollowUpTick() {
    CGridCtrl& grid = *Grid();
    const int statusColumn = Traits().ColumnOf(ListColumn::kStatus);
    for (const actions::RowStatus& shown : m_action.FollowUp(RowMacs())) {
        const int row = static_cast<int>(shown.row) + 1;
        SetOnlineCell(grid, row, statusColumn, QString::fromStdString(StatusText(shown.status)), kCellFormat);
        grid.RedrawCell(row, statusColumn);
    }
}

void CRebootRestoreDlg::OnWaitClosed() {
    m_followUp.stop();
    m_pWait->TellEarlyClose(this);
    m_pWait->deleteLater();
    m_pWait = nullptr;
    Services().engine.Search();
    m_refresh.start();
}

std::vector<actions::ListedRow> CRebootRestoreDlg::ListedRows() const {
    std::vector<actions::ListedRow> rows;
    for (int row = 1; row < Grid()->GetRowCount(); ++row) {
        const CGridCellCheck* check = Grid()->GetCheckCell(row);
        rows.push_back({check && check->GetCheck(), CellAnsi(row, ListColumn::kIp), CellAnsi(row, ListColumn::kMac),
                        CellAnsi(row, ListColumn::kType)});
    }
    return rows;
}

std::vector<std::string> CRebootRestoreDlg::RowMacs() const {
    std::vector<std::string> macs;
    for (int row = 1; row < Grid()->GetRowCount(); ++row)
        macs.push_back(CellAnsi(row, ListColumn::kMac));
    return macs;
}

CRebootDlg::CRebootDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CRebootRestoreDlg(kDialogId, actions::kRebootKind, "Reboot", parent, host, services) {}

CRestoreDlg::CRestoreDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CRebootRestoreDlg(kDialogId, actions::kRestoreKind, "Restore", parent, host, services) {}

}  // namespace cpe
