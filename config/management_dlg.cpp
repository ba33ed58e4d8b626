#include "config/management_dlg.h"

#include "inventory/inventory.h"
#include "store/sql_management.h"

#include <cstring>

namespace cpe {

CManagementDlg::CManagementDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CListPageDlg(*FindListPageTraits(kDialogId), parent, host, services), m_sender(services.engine) {
    m_refreshAfterDialog.setSingleShot(true);
    m_refreshAfterDialog.setInterval(m_timings.refreshAfterDialog);
    connect(&m_refreshAfterDialog, &QTimer::timeout, this,
            [this] { RefreshPage(CurrentPage(), CurrentAscending(), SortColumn(), SearchText()); });
}

void CManagementDlg::SetTimings(const Timings& timings) {
    m_timings = timings;
    m_refreshAfterDialog.setInterval(timings.refreshAfterDialog);
}

void CManagementDlg::OnDataCellClick(int row, int col) {
    if (col == Traits().ColumnOf(ListColumn::kOperate))
        OpenConfigDialog(row);
}

void CManagementDlg::OpenConfigDialog(int row) {
    const std::string mac = CellAnsi(row, ListColumn::kMac);
    ap_info_stu device;
    std::memset(&device, 0, sizeof device);
    // A device that left the store since the list was drawn is not configured from a blank
    // record (that would send zeros for everything the operator does not retype): the list
    // reloads instead and no longer shows it.
    if (!Services().store.GetDevice(mac, device) || std::string_view(device.mac) != mac) {
        RefreshList();
        return;
    }
    m_strTargetIp = CellAnsi(row, ListColumn::kIp);
    m_strTargetMac = mac;
    Host().SetAutoRefresh(false);
    {
        CManagementConfigDlg dialog(device, *this, this, m_timings.waitTick);
        dialog.exec();
    }
    Host().SetAutoRefresh(true);
    m_refreshAfterDialog.start();
}

std::vector<std::string> CManagementDlg::DeviceIps() {
    std::vector<std::string> ips;
    Services().store.GetDeviceIps(ips);
    return ips;
}

void CManagementDlg::SendConfiguration(const actions::config_request& request) {
    // The older sender ends before the new blocks are written, so two Saves never mix.
    m_sender.Stop();
    m_request = request;
    if (inventory::Inventory* fleet = Services().inventory) {
        // Queued ahead of the record the device answers the burst with: the backup holds the
        // settings from before this Save.
        fleet->TakeBackup(m_strTargetMac, inventory::backup_reason::kBeforeSave);
        inventory::EventDetail detail;
        detail.Add("name", request.name_changed ? "changed" : "kept");
        detail.Add("wireless", request.wireless_changed ? "changed" : "kept");
        detail.Add("ip", request.ip_changed ? "changed" : "kept");
        detail.Add("vlan", request.vlan_changed ? "changed" : "kept");
        detail.Add("timed_reboot", request.restart_changed ? "changed" : "kept");
        fleet->RecordAction(m_strTargetMac, inventory::event_kind::kConfigurationSave, "sent", std::move(detail));
    }
    m_sender.Start(m_request, m_strTargetIp, m_strTargetMac);
}

}  // namespace cpe
