#include "fleet/apply_settings_dlg.h"

#include <QComboBox>
#include <cstring>

#include "actions/reboot_restore/reboot_restore_action.h"
#include "fleet/fleet_texts.h"
#include "inventory/event_detail.h"
#include "pages/device_cells.h"
#include "protocol/codes.h"
#include "store/sql_management.h"
#include "ui/ct_button_picture.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/message_box.h"
#include "ui/page_text.h"

namespace cpe {
namespace {

constexpr unsigned kCentre = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
// A result can be a whole sentence: its start stays readable where it does not fit.
constexpr unsigned kResultFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
constexpr int kResultColumn = 5;
constexpr int kReadPageSize = 500;

constexpr ListColumn kShownColumns[] = {ListColumn::kLocation, ListColumn::kType, ListColumn::kIp, ListColumn::kMac};

}  // namespace

CApplySettingsDlg::CApplySettingsDlg(PageServices services, std::string mac, QWidget* parent,
                                     std::chrono::milliseconds waitTick)
    : CFleetDialog(kDialogId, services, std::move(mac), parent), m_waitTick(waitTick), m_sender(services.engine) {
    SetUpGrid({{"", 30}, {"Location", 80}, {"Type", 50}, {"IP", 96}, {"MAC", 110}, {"Result", 204}}, true);
    ListBackups();
    ListDevices();
    ActionButton()->setEnabled(!ListedBackups().empty());
    m_confirm.setSingleShot(true);
    connect(&m_confirm, &QTimer::timeout, this, &CApplySettingsDlg::ConfirmCurrent);
    connect(ActionButton(), &QAbstractButton::clicked, this, &CApplySettingsDlg::OnApply);
}

void CApplySettingsDlg::ListDevices() {
    CSqlManagement& store = Services().store;
    m_devices.clear();
    int pageCount = 1;
    for (int page = 1; page <= pageCount; ++page) {
        int online = 0;
        std::vector<ap_info_stu> records;
        if (!store.GetDevicePage(CSqlManagement::kSortIpNum, true, kReadPageSize, page, {}, pageCount, online, records))
            break;
        m_devices.insert(m_devices.end(), records.begin(), records.end());
    }
    CGridCtrl& grid = *Grid();
    grid.SetRedraw(false);
    grid.SetRowCount(1 + static_cast<int>(m_devices.size()));
    for (int row = 1; const ap_info_stu& device : m_devices) {
        SetDataCell(grid, row, 0, QString(), kCentre);
        grid.SetCheckCell(row);
        for (int c = 1; const ListColumn column : kShownColumns)
            SetDataCell(grid, row, c++, RecordCellText(column, device), kCentre);
        SetDataCell(grid, row, kResultColumn, QString(), kResultFormat);
        ++row;
    }
    grid.SetRedraw(true);
}

int CApplySettingsDlg::RowOf(std::string_view mac) const {
    for (std::size_t i = 0; i < m_devices.size(); ++i)
        if (std::string_view(m_devices[i].mac) == mac)
            return static_cast<int>(i) + 1;
    return -1;
}

QString CApplySettingsDlg::ResultOf(int row) const { return Grid()->GetItemText(row, kResultColumn); }

void CApplySettingsDlg::SetResult(int row, const QString& text, bool good) {
    (good ? SetOnlineCell : SetDataCell)(*Grid(), row, kResultColumn, text, kResultFormat);
    Grid()->RedrawRow(row);
}

void CApplySettingsDlg::EnableChoice(bool enable) {
    ActionButton()->setEnabled(enable);
    BackupList()->setEnabled(enable);
    Grid()->setEnabled(enable);
}

void CApplySettingsDlg::OnApply() {
    if (Running())
        return;
    const auto backup = ChosenBackup();
    if (!backup)
        return;
    for (int row = 1; row < Grid()->GetRowCount(); ++row) {
        const CGridCellCheck* check = Grid()->GetCheckCell(row);
        if (check && check->GetCheck())
            m_queue.push_back(row);
    }
    if (m_queue.empty()) {
        ShowMessageBox(this, PageText(actions::kSelectDevicesKey), MessageIcon::kExclamation);
        return;
    }
    for (int row : m_queue)
        SetResult(row, PageText("Waiting"), false);
    m_delivery.emplace(Services().inventory, *backup, actions::kApplyBlocks, inventory::event_kind::kSettingsApply,
                       "backup " + std::to_string(backup->id));
    EnableChoice(false);
    SendToNext();
}

void CApplySettingsDlg::SendToNext() {
    while (!m_queue.empty()) {
        const int row = m_queue.front();
        m_queue.pop_front();
        const std::string mac = m_devices[static_cast<std::size_t>(row - 1)].mac;
        ap_info_stu device;
        std::memset(&device, 0, sizeof device);
        if (!Services().store.GetDevice(mac, device) || std::string_view(device.mac) != mac) {
            SetResult(row, PageText("Not online"), false);
            continue;
        }
        std::vector<std::string> ipsInUse;
        Services().store.GetDeviceIps(ipsInUse);
        const actions::RestorePlan plan = m_delivery->Begin(device, ipsInUse);
        if (plan.Refused()) {
            SetResult(row, RefusalText(plan), false);
            continue;
        }
        m_sender.Start(plan.request, FormatIp(device.ip), mac);
        SetResult(row, PageText("Sending the settings..."), false);
        m_current = row;
        m_currentRecord = device;
        m_confirm.start(actions::SettingsDelivery::ConfirmDelay(plan) * m_waitTick.count() /
                        CWaitDlg::kTickPeriod.count());
        return;
    }
    m_current = 0;
    EnableChoice(true);
}

void CApplySettingsDlg::reject() {
    m_queue.clear();
    if (m_current > 0) {
        m_confirm.stop();
        ConfirmCurrent();
    }
    CFleetDialog::reject();
}

void CApplySettingsDlg::ConfirmCurrent() {
    const std::string mac = m_currentRecord.mac;
    ap_info_stu now;
    std::memset(&now, 0, sizeof now);
    const bool found = Services().store.GetDevice(mac, now) && std::string_view(now.mac) == mac;
    const bool done = m_delivery->Finish(m_currentRecord, found ? &now : nullptr);
    SetResult(m_current, PageText(done ? "Confirmed" : "Not confirmed"), done);
    m_current = 0;
    SendToNext();
}

}  // namespace cpe
