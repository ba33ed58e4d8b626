#include "fleet/inventory_page.h"

#include <QComboBox>
#include <QMenu>

#include "fleet/apply_settings_dlg.h"
#include "fleet/fleet_texts.h"
#include "fleet/history_dlg.h"
#include "fleet/restore_settings_dlg.h"
#include "inventory/inventory.h"
#include "protocol/codes.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"

namespace cpe {
namespace {

using C = ListColumn;

const ListPageTraits kTraits{ids::kInventoryDlg,
                             ids::list_page::kInventoryGrid,
                             0,
                             {{C::kSerial, "Serial", 40, true},
                              {C::kLocation, "Location", 100, true},
                              {C::kType, "Type", 60, true},
                              {C::kIp, "IP", 102, true},
                              {C::kMac, "MAC", 112, true},
                              {C::kVersion, "Version", 80, true},
                              {C::kLastSeen, "Last seen", 120, true},
                              {C::kOperate, "Operate", 60, false}},
                             {},
                             IconStrip::kInventory,
                             true,
                             false,
                             C::kLastSeen};

// Images of the page's strip.
constexpr int kOnlineImage = 1;
constexpr int kOfflineImage = 2;

// The inventory's order for a column: the Serial column sorts by whether the device is online.
inventory::KnownDeviceSort SortOf(ListColumn column) {
    switch (column) {
    case C::kSerial: return inventory::KnownDeviceSort::kOnline;
    case C::kLocation: return inventory::KnownDeviceSort::kName;
    case C::kType: return inventory::KnownDeviceSort::kModel;
    case C::kIp: return inventory::KnownDeviceSort::kIp;
    case C::kMac: return inventory::KnownDeviceSort::kMac;
    case C::kVersion: return inventory::KnownDeviceSort::kFirmware;
    default: return inventory::KnownDeviceSort::kLastSeen;
    }
}

}  // namespace

CInventoryDlg::CInventoryDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CListPageDlg(kTraits, parent, host, services) {
    if (auto* label = DlgItem<CTStatic>(this, ids::list_page::kFilterLabel))
        ApplyLabelStyle(*label);
    QComboBox& filter = *FilterList();
    filter.addItem(PageText("All"), static_cast<int>(inventory::OnlineFilter::kAll));
    filter.addItem(PageText("Online"), static_cast<int>(inventory::OnlineFilter::kOnline));
    filter.addItem(PageText("Outline"), static_cast<int>(inventory::OnlineFilter::kOffline));
    filter.setCurrentIndex(0);
    connect(&filter, &QComboBox::currentIndexChanged, this,
            [this] { RefreshPage(1, CurrentAscending(), SortColumn(), SearchText()); });
    ShowCount(0);
}

QComboBox* CInventoryDlg::FilterList() const { return DlgItem<QComboBox>(this, ids::list_page::kFilterList); }

inventory::OnlineFilter CInventoryDlg::Filter() const {
    return static_cast<inventory::OnlineFilter>(FilterList()->currentData().toInt());
}

const inventory::KnownDevice* CInventoryDlg::RowDevice(int row) const {
    if (row < 1 || row > static_cast<int>(m_devices.size()))
        return nullptr;
    return &m_devices[static_cast<std::size_t>(row - 1)];
}

CListPageDlg::LoadedPage CInventoryDlg::LoadPage(int page, int pageSize, bool ascending, int sortColumn,
                                                 const QString& searchText) {
    inventory::KnownDeviceQuery query;
    query.filter = Filter();
    query.search = searchText.toStdString();
    const int column = sortColumn >= 0 && sortColumn < Traits().ColumnCount() ? sortColumn : 0;
    query.sort = SortOf(Traits().columns[static_cast<std::size_t>(column)].kind);
    query.ascending = ascending;
    query.pageSize = pageSize;
    query.pageNumber = page;
    inventory::Inventory* fleet = Services().inventory;
    inventory::KnownDevicePage found = fleet ? fleet->DevicePage(query) : inventory::KnownDevicePage{};
    m_devices = std::move(found.devices);

    const std::int64_t now = fleet ? fleet->Options().clock() : 0;
    ResetRows(static_cast<int>(m_devices.size()));
    // The reader shows the last page for a page past the end; the serials follow the page shown.
    const int shownPage = std::max(1, std::min(page, found.pageCount));
    for (int row = 1; const inventory::KnownDevice& device : m_devices) {
        FillRow(row, (shownPage - 1) * pageSize + row, device, now);
        ++row;
    }
    Grid()->SetRedraw(true);
    return {found.pageCount, found.matching};
}

void CInventoryDlg::FillRow(int row, int serial, const inventory::KnownDevice& device, std::int64_t now) {
    CGridCtrl& grid = *Grid();
    const auto setCell = device.online ? SetDataCell : SetOfflineCell;
    for (int c = 0; c < Traits().ColumnCount(); ++c) {
        switch (Traits().columns[static_cast<std::size_t>(c)].kind) {
        case C::kSerial:
            setCell(grid, row, c, QString::number(serial), kCellFormat);
            grid.SetItemImage(row, c, device.online ? kOnlineImage : kOfflineImage);
            break;
        case C::kLocation: setCell(grid, row, c, QString::fromStdString(device.name), kCellFormat); break;
        case C::kType: setCell(grid, row, c, QString::fromStdString(ModelName(device.model)), kCellFormat); break;
        case C::kIp: setCell(grid, row, c, QString::fromStdString(device.lastIp), kCellFormat); break;
        case C::kMac: setCell(grid, row, c, QString::fromStdString(device.mac), kCellFormat); break;
        case C::kVersion: setCell(grid, row, c, QString::fromStdString(device.firmware), kCellFormat); break;
        case C::kLastSeen:
            if (device.online)
                SetOnlineCell(grid, row, c, LastSeenText(device, now), kCellFormat);
            else
                setCell(grid, row, c, LastSeenText(device, now), kCellFormat);
            break;
        case C::kOperate:
            setCell(grid, row, c, QString(), kCellFormat);
            grid.SetItemImage(row, c, 0);
            break;
        default: break;
        }
    }
}

void CInventoryDlg::ShowCount(int count) {
    OnlineLabel()->setText(CountText("Known device count:%d", count));
    OnlineLabel()->update();
}

void CInventoryDlg::OnDataCellClick(int row, int col) {
    const inventory::KnownDevice* device = RowDevice(row);
    if (!device || col != Traits().ColumnOf(C::kOperate))
        return;
    delete m_pMenu.data();
    m_pMenu = new QMenu(this);
    m_pMenu->setAttribute(Qt::WA_DeleteOnClose);
    const std::string mac = device->mac;
    m_pMenu->addAction(PageText("History"), this, [this, mac] { OpenHistory(mac); });
    m_pMenu->addAction(PageText("Restore settings..."), this, [this, mac] { OpenRestoreSettings(mac); });
    m_pMenu->addAction(PageText("Apply to devices..."), this, [this, mac] { OpenApplySettings(mac); });
    m_pMenu->popup(Grid()->viewport()->mapToGlobal(Grid()->CellRect(row, col).bottomLeft()));
}

void CInventoryDlg::OpenHistory(const std::string& mac) {
    CHistoryDlg dialog(Services(), mac, this);
    dialog.exec();
}

void CInventoryDlg::OpenRestoreSettings(const std::string& mac) {
    CRestoreSettingsDlg dialog(Services(), mac, this);
    dialog.exec();
    RefreshList();
}

void CInventoryDlg::OpenApplySettings(const std::string& mac) {
    CApplySettingsDlg dialog(Services(), mac, this);
    dialog.exec();
    RefreshList();
}

}  // namespace cpe
