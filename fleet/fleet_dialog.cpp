#include "fleet/fleet_dialog.h"

#include <QComboBox>

#include "fleet/fleet_texts.h"
#include "inventory/inventory.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/check_column.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/page_text.h"
#include "ui/resource_ids.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

namespace cpe {

namespace f = ids::fleet;

CFleetDialog::CFleetDialog(int dialogId, PageServices services, std::string mac, QWidget* parent)
    : CTDialog(parent, Qt::Dialog), m_services(services), m_mac(std::move(mac)) {
    BuildDialog(this, dialogId);
    TranslateWindow(this);
    InitSkin();
    if (inventory::Inventory* fleet = m_services.inventory)
        if (auto known = fleet->Device(m_mac))
            m_known = std::move(*known);
    QString line = QString::fromUtf8(m_known.name) + QStringLiteral("   ") + QString::fromStdString(m_mac);
    if (!m_known.lastIp.empty())
        line += QStringLiteral("   ") + QString::fromStdString(m_known.lastIp);
    DeviceLabel()->setText(line);
    connect(CloseButton(), &QAbstractButton::clicked, this, &QDialog::reject);
    connect(CloseBox(), &QAbstractButton::clicked, this, &QDialog::reject);
    // Enter presses the dialog's action (Restore, Apply), Escape its Close.
    SetKeyButtons(ActionButton(), CloseButton());
}

void CFleetDialog::InitSkin() {
    const SkinSettings& skin = Skin();
    m_bFill = true;
    m_crFill = skin.childBkColor;
    m_bDrag = true;
    auto* strip = DlgItem<CTStatic>(this, f::kTitleStrip);
    strip->m_bTransparent = false;
    strip->m_crBk = skin.gridTitleBkColor;
    ApplyLabelStyle(*DlgItem<CTStatic>(this, f::kTitle));
    ApplyLabelStyle(*DeviceLabel());
    if (auto* hint = DlgItem<CTStatic>(this, f::kHint))
        ApplyLabelStyle(*hint);
    if (auto* result = DlgItem<CTStatic>(this, f::kResult))
        ApplyLabelStyle(*result);
    SetButtonPicture(*CloseBox(), skin.paths.closeConfig);
    ApplyButtonStyle(*CloseButton(), CloseButton()->text());
    SetButtonPicture(*CloseButton(), skin.paths.btnConfig);
    if (CTButtonPicture* action = ActionButton()) {
        ApplyButtonStyle(*action, action->text());
        SetButtonPicture(*action, skin.paths.configBtn);
    }
    auto* line = DlgItem<CTPicture>(this, f::kSeparator);
    if (line->LoadFile(QString::fromStdString(skin.paths.grayLine)))
        line->DrawPicture();
    ApplyListGridStyle(*Grid());
}

CGridCtrl* CFleetDialog::Grid() const { return DlgItem<CGridCtrl>(this, f::kGrid); }
CTButtonPicture* CFleetDialog::CloseButton() const { return DlgItem<CTButtonPicture>(this, f::kCloseButton); }
CTButtonPicture* CFleetDialog::CloseBox() const { return DlgItem<CTButtonPicture>(this, f::kCloseBox); }
CTStatic* CFleetDialog::DeviceLabel() const { return DlgItem<CTStatic>(this, f::kDevice); }
QComboBox* CFleetDialog::BackupList() const { return DlgItem<QComboBox>(this, f::kBackupList); }
CTButtonPicture* CFleetDialog::ActionButton() const { return DlgItem<CTButtonPicture>(this, f::kActionButton); }

void CFleetDialog::SetUpGrid(const std::vector<std::pair<const char*, int>>& columns, bool checkBoxes) {
    CGridCtrl& grid = *Grid();
    grid.EnableSelection(true);
    grid.SetRowCount(1);
    grid.SetColumnCount(static_cast<int>(columns.size()));
    grid.SetFixedRowCount(1);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto& [key, width] = columns[c];
        SetTitleCell(grid, static_cast<int>(c), width, *key ? PageText(key) : QString());
    }
    if (checkBoxes) {
        grid.SetCheckCell(0);
        grid.AddHandColumn(0);
    }
}

void CFleetDialog::ListBackups() {
    QComboBox& list = *BackupList();
    list.clear();
    m_backups = m_services.inventory ? m_services.inventory->Backups(m_mac) : std::vector<inventory::SettingsBackup>{};
    for (const inventory::SettingsBackup& backup : m_backups)
        list.addItem(BackupText(backup));
    list.setCurrentIndex(m_backups.empty() ? -1 : 0);
}

bool CFleetDialog::event(QEvent* e) {
    if (e->type() != GridNotifyEvent::EventType())
        return CTDialog::event(e);
    const GridNotify& n = static_cast<GridNotifyEvent*>(e)->Notify();
    CGridCtrl& grid = *Grid();
    if (n.code == NM_CLICK && n.iColumn == 0 && grid.GetCheckCell(0)) {
        if (n.iRow == 0)
            FlipAllChecks(grid);
        else if (n.iRow > 0 && n.iRow < grid.GetRowCount())
            FlipRowCheck(grid, n.iRow);
    }
    return true;
}

std::optional<inventory::SettingsBackup> CFleetDialog::ChosenBackup() const {
    const int index = BackupList() ? BackupList()->currentIndex() : -1;
    if (index < 0 || index >= static_cast<int>(m_backups.size()) || !m_services.inventory)
        return std::nullopt;
    return m_services.inventory->Backup(m_backups[static_cast<std::size_t>(index)].id);
}

}  // namespace cpe
