#include "pages/status_dlg.h"

#include "engine/net_management.h"
#include "inventory/inventory.h"
#include "pages/discovery_findings_text.h"
#include "platform/codepage.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_edit.h"
#include "ui/ct_picture.h"
#include "ui/dialog_template.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/message_box.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace cpe {
CStatusDlg::CStatusDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CListPageDlg(*FindListPageTraits(kDialogId), parent, host, services), m_run(services.engine) {
    const SkinPaths& paths = Skin().paths;
    m_pSearch = SetUpActionButton(ids::list_page::kSearchButton, "Search");
    connect(m_pSearch, &QAbstractButton::clicked, this, &CStatusDlg::OnSearchButton);

    m_pBusy = DlgItem<CTPicture>(this, ids::list_page::kBusyPicture);
    if (!paths.waitSearch.empty())
        m_pBusy->LoadFile(QString::fromStdString(paths.waitSearch));
    m_pBusy->hide();

    m_discoveryTimer.setInterval(Timings{}.discoveryTickMs);
    connect(&m_discoveryTimer, &QTimer::timeout, this, &CStatusDlg::OnDiscoveryTick);
    m_renameRefresh.setSingleShot(true);
    m_renameRefresh.setInterval(Timings{}.renameRefreshMs);
    connect(&m_renameRefresh, &QTimer::timeout, this, [this] { RefreshList(); });
}

CStatusDlg::~CStatusDlg() {
    m_discoveryTimer.stop();
    m_renameRefresh.stop();
}

void CStatusDlg::SetTimings(const Timings& timings) {
    m_discoveryTimer.setInterval(timings.discoveryTickMs);
    m_renameRefresh.setInterval(timings.renameRefreshMs);
}

void CStatusDlg::OnSearchButton() {
    if (!m_run.Running())
        StartDiscovery();
    else
        StopDiscovery();
}

void CStatusDlg::StartDiscovery() {
    m_run.Start();
    SetSearchText(QString());
    SearchEdit()->clear();
    RefreshPage(1, CurrentAscending(), SortColumn(), QString());
    Grid()->SetEmptyText(QString());
    m_pBusy->show();
    m_pBusy->DrawPicture();
    m_pSearch->SetButtonText(PageText("Stop"));
    EnableListControls(false);
    Host().EnableMenuButtons(false);
    Host().SetAutoRefresh(false);
    m_discoveryTimer.start();
}

void CStatusDlg::StopDiscovery() {
    m_run.Stop();
    m_discoveryTimer.stop();
    m_pBusy->StopAnimation();
    m_pBusy->hide();
    m_pSearch->SetButtonText(PageText("Search"));
    EnableListControls(true);
    Host().EnableMenuButtons(true);
    Host().SetAutoRefresh(true);
    RefreshList();
    // A run that leaves the list empty says what it searched and what usually keeps devices silent.
    const actions::DeviceCounts counts = actions::CountDevices(Services().engine);
    const bool empty = Grid()->GetRowCount() <= Grid()->GetFixedRowCount();
    Grid()->SetEmptyText(
        empty ? DiscoveryFindingsText(actions::CheckDiscovery(Services().engine, counts.identified + counts.seen))
              : QString());
}

void CStatusDlg::OnDiscoveryTick() {
    switch (m_run.Tick()) {
    case actions::DiscoveryStep::kFinished: StopDiscovery(); return;
    case actions::DiscoveryStep::kSearched: RefreshPage(1, CurrentAscending(), SortColumn(), SearchText()); return;
    case actions::DiscoveryStep::kWaited: return;
    }
}

void CStatusDlg::OnGridNotify(GridNotifyEvent& e) {
    switch (e.Notify().code) {
    case LVN_BEGINLABELEDITW: OnBeginEdit(e); return;
    case LVN_ENDLABELEDITW: OnEndEdit(e); return;
    default: CListPageDlg::OnGridNotify(e); return;
    }
}

void CStatusDlg::OnDataCellClick(int row, int col) {
    const ListColumn kind = Traits().columns[static_cast<std::size_t>(col)].kind;
    if (kind == ListColumn::kLocation) {
        if (!IsToppedUpRow(row))
            Grid()->SetEditable(true);
        return;
    }
    Grid()->SetEditable(false);
    if (kind == ListColumn::kOperate && !IsToppedUpRow(row))
        OpenWebPage(row);
}

void CStatusDlg::OpenWebPage(int row) {
    const QString ip = Grid()->GetItemText(row, Traits().ColumnOf(ListColumn::kIp));
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + ip));
}

void CStatusDlg::OnBeginEdit(GridNotifyEvent& e) {
    const GridNotify& n = e.Notify();
    // Only a stored device's name can be edited; keyboard navigation must not carry the editor
    // into another column or onto a device that has not sent its record yet.
    if (n.iColumn != Traits().ColumnOf(ListColumn::kLocation) || n.iRow < 1 || IsToppedUpRow(n.iRow)) {
        e.SetResult(-1);
        return;
    }
    m_strOldName = Grid()->GetItemText(n.iRow, n.iColumn);
}

void CStatusDlg::OnEndEdit(GridNotifyEvent& e) {
    const GridNotify& n = e.Notify();
    if (n.iColumn != Traits().ColumnOf(ListColumn::kLocation))
        return;
    const QString name = Grid()->GetItemText(n.iRow, n.iColumn);
    if (name == m_strOldName)
        return;
    actions::DeviceNameChange change = actions::PrepareDeviceName(name.toStdU16String());
    if (change.refused) {
        ShowMessageBox(this, PageText(actions::kNoChineseNameKey), MessageIcon::kExclamation);
        Grid()->SetItemText(n.iRow, n.iColumn, m_strOldName);
        e.SetResult(-1);
        return;
    }
    Grid()->SetItemText(n.iRow, n.iColumn, QString::fromStdU16String(change.shown));
    // A name that is not sent leaves the refresh to show the name the device keeps.
    if (change.ansi) {
        if (inventory::Inventory* fleet = Services().inventory)
            fleet->RecordAction(CellAnsi(n.iRow, ListColumn::kMac), inventory::event_kind::kRename, "sent",
                                inventory::EventDetail().Add("name", platform::AnsiToUtf8Lossy(*change.ansi)));
        StartRenameSender(CellAnsi(n.iRow, ListColumn::kIp), std::move(*change.ansi));
    }
    m_renameRefresh.start();
}

void CStatusDlg::StartRenameSender(std::string ip, std::string name) {
    if (m_renameSender.joinable()) {
        m_renameSender.request_stop();
        m_renameSender.join();
    }
    CNetManagement& engine = Services().engine;
    m_renameSender = std::jthread([&engine, ip = std::move(ip), name = std::move(name)](std::stop_token stop) {
        engine.SendRename(ip, name, stop);
    });
}

}  // namespace cpe
