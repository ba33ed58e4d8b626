#include "fleet/restore_settings_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <cstring>

#include "actions/settings/settings_delivery.h"
#include "fleet/fleet_texts.h"
#include "inventory/inventory.h"
#include "pages/wait_job_texts.h"
#include "platform/codepage.h"
#include "protocol/codes.h"
#include "store/sql_management.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/message_box.h"
#include "ui/page_text.h"

namespace cpe {
namespace {

namespace f = ids::fleet;

struct BlockBoxId {
    inventory::SettingsBlock block;
    int id;
};
constexpr BlockBoxId kBlockBoxes[] = {
    {inventory::SettingsBlock::kName, f::kNameBlock}, {inventory::SettingsBlock::kWireless, f::kWirelessBlock},
    {inventory::SettingsBlock::kVlan, f::kVlanBlock}, {inventory::SettingsBlock::kTimedReboot, f::kTimedRebootBlock},
    {inventory::SettingsBlock::kIp, f::kIpBlock},
};

constexpr unsigned kLeft = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
constexpr int kBlockColumn = 0, kFieldColumn = 1, kBackupColumn = 2, kDeviceColumn = 3;

}  // namespace

CRestoreSettingsDlg::CRestoreSettingsDlg(PageServices services, std::string mac, QWidget* parent,
                                         std::chrono::milliseconds waitTick)
    : CFleetDialog(kDialogId, services, std::move(mac), parent), m_waitTick(waitTick), m_sender(services.engine) {
    SetUpGrid({{"Block", 84}, {"Setting", 140}, {"Backup", 160}, {"Device now", 160}}, false);
    const actions::SettingsBlocks initial = actions::kRestoreBlocks;
    BlockBox(inventory::SettingsBlock::kName)->setChecked(initial.name);
    BlockBox(inventory::SettingsBlock::kWireless)->setChecked(initial.wireless);
    BlockBox(inventory::SettingsBlock::kVlan)->setChecked(initial.vlan);
    BlockBox(inventory::SettingsBlock::kTimedReboot)->setChecked(initial.timedReboot);
    BlockBox(inventory::SettingsBlock::kIp)->setChecked(initial.ip);
    ListBackups();
    if (ListedBackups().empty()) {
        ActionButton()->setEnabled(false);
        ResultLabel()->setText(PageText("There is no backup of this device yet."));
    }
    connect(BackupList(), &QComboBox::currentIndexChanged, this, [this] { ShowFields(); });
    connect(ShowKeysBox(), &QCheckBox::toggled, this, [this] { ShowFields(); });
    connect(ActionButton(), &QAbstractButton::clicked, this, &CRestoreSettingsDlg::OnRestore);
    ShowFields();
}

QCheckBox* CRestoreSettingsDlg::BlockBox(inventory::SettingsBlock block) const {
    for (const BlockBoxId& box : kBlockBoxes)
        if (box.block == block)
            return DlgItem<QCheckBox>(this, box.id);
    return nullptr;
}

QCheckBox* CRestoreSettingsDlg::ShowKeysBox() const { return DlgItem<QCheckBox>(this, f::kShowKeys); }

CTStatic* CRestoreSettingsDlg::ResultLabel() const { return DlgItem<CTStatic>(this, f::kResult); }

actions::SettingsBlocks CRestoreSettingsDlg::ChosenBlocks() const {
    const auto on = [this](inventory::SettingsBlock block) { return BlockBox(block)->isChecked(); };
    return {on(inventory::SettingsBlock::kName), on(inventory::SettingsBlock::kWireless),
            on(inventory::SettingsBlock::kIp), on(inventory::SettingsBlock::kVlan),
            on(inventory::SettingsBlock::kTimedReboot)};
}

int CRestoreSettingsDlg::FieldRow(std::string_view name) const {
    for (std::size_t i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames[i] == name)
            return static_cast<int>(i) + 1;
    return -1;
}

std::optional<ap_info_stu> CRestoreSettingsDlg::DeviceRecord(bool& online) const {
    ap_info_stu record;
    std::memset(&record, 0, sizeof record);
    online = Services().store.GetDevice(Mac(), record) && std::string_view(record.mac) == Mac();
    if (online)
        return record;
    return Services().inventory ? Services().inventory->LastRecord(Mac()) : std::nullopt;
}

void CRestoreSettingsDlg::ShowFields() {
    CGridCtrl& grid = *Grid();
    grid.SetRedraw(false);
    grid.DeleteNonFixedRows();
    m_fieldNames.clear();
    const auto backup = ChosenBackup();
    bool online = false;
    const auto device = DeviceRecord(online);
    SetTitleCell(grid, kDeviceColumn, grid.GetColumnWidth(kDeviceColumn),
                 PageText(online ? "Device now" : "Device when last seen"));
    if (backup) {
        const std::string codeset = platform::AnsiCodeset();
        const auto saved = inventory::BackupFields(backup->record, codeset);
        const auto now = device ? inventory::BackupFields(*device, codeset) : std::vector<inventory::BackupField>{};
        const bool showKeys = ShowKeysBox()->isChecked();
        const auto shown = [showKeys](const inventory::BackupField& field) {
            return field.isKey && !showKeys && !field.value.empty() ? QString::fromUtf8(kMaskedKey)
                                                                    : QString::fromStdString(field.value);
        };
        // The fields in the order of the block boxes below, each under its box's name.
        for (const BlockBoxId& box : kBlockBoxes) {
            const QString blockText = BlockBox(box.block)->text();
            for (std::size_t i = 0; i < saved.size(); ++i) {
                if (saved[i].block != box.block)
                    continue;
                const int row = grid.GetRowCount();
                grid.SetRowCount(row + 1);
                m_fieldNames.push_back(saved[i].name);
                SetDataCell(grid, row, kBlockColumn, blockText, kLeft);
                SetDataCell(grid, row, kFieldColumn, QString::fromStdString(saved[i].name), kLeft);
                const bool differs = i < now.size() && now[i].value != saved[i].value;
                (differs ? SetOnlineCell : SetDataCell)(grid, row, kBackupColumn, shown(saved[i]), kLeft);
                SetDataCell(grid, row, kDeviceColumn, i < now.size() ? shown(now[i]) : QString(), kLeft);
            }
        }
    }
    grid.SetRedraw(true);
}

void CRestoreSettingsDlg::OnRestore() {
    const auto backup = ChosenBackup();
    if (!backup)
        return;
    ap_info_stu device;
    std::memset(&device, 0, sizeof device);
    if (!Services().store.GetDevice(Mac(), device) || std::string_view(device.mac) != Mac()) {
        ShowMessageBox(this, PageText(kDeviceNotOnlineKey), MessageIcon::kExclamation);
        return;
    }
    actions::SettingsDelivery delivery(Services().inventory, *backup, ChosenBlocks(),
                                       inventory::event_kind::kSettingsRestore, "backup " + std::to_string(backup->id));
    std::vector<std::string> ipsInUse;
    Services().store.GetDeviceIps(ipsInUse);
    const actions::RestorePlan plan = delivery.Begin(device, ipsInUse);
    if (plan.Refused()) {
        ResultLabel()->setText(RefusalText(plan));
        ShowMessageBox(this, RefusalText(plan), MessageIcon::kExclamation);
        return;
    }
    m_sender.Start(plan.request, FormatIp(device.ip), Mac());
    ResultLabel()->setText(PageText("Sending the settings..."));
    const auto delay = actions::SettingsDelivery::ConfirmDelay(plan);
    {
        CWaitDlg wait(WaitTextsOf(actions::WaitJobAfterSave(plan.request, FormatIp(device.ip))),
                      static_cast<int>((delay.count() + 999) / 1000), this, m_waitTick);
        wait.exec();
        wait.TellEarlyClose(this);
    }
    ap_info_stu now;
    std::memset(&now, 0, sizeof now);
    const bool found = Services().store.GetDevice(Mac(), now) && std::string_view(now.mac) == Mac();
    const bool done = delivery.Finish(device, found ? &now : nullptr);
    ResultLabel()->setText(
        PageText(done ? "The device reports the restored settings." : "The device did not confirm the settings."));
    ShowFields();
}

}  // namespace cpe
