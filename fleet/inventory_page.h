// The Inventory page: every device the fleet inventory knows, online or not, with the address,
// name, model and firmware it last reported and when it was last heard; all of them, the online
// or the offline ones; the list pages' search, sort and paging, each page read from the inventory
// file as it is shown. A row's "Operate" cell opens its actions: the device's history, restoring
// a backup's settings to it, and applying them to other devices.
#pragma once

#include <QMenu>
#include <QPointer>
#include <string>
#include <vector>

#include "inventory/inventory_reader.h"
#include "pages/list_page.h"
#include "ui/resource_ids.h"

class QComboBox;

namespace cpe {

class CInventoryDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kInventoryDlg;

    CInventoryDlg(QWidget* parent, PageHostLink& host, PageServices services);

    QComboBox* FilterList() const;
    inventory::OnlineFilter Filter() const;
    // The device a data row shows, or null.
    const inventory::KnownDevice* RowDevice(int row) const;
    // The menu of a row's actions, while it is open.
    QMenu* ActionMenu() const { return m_pMenu; }

    // A row's actions, each in its modal dialog.
    void OpenHistory(const std::string& mac);
    void OpenRestoreSettings(const std::string& mac);
    void OpenApplySettings(const std::string& mac);

protected:
    LoadedPage LoadPage(int page, int pageSize, bool ascending, int sortColumn, const QString& searchText) override;
    void ShowCount(int count) override;
    void OnDataCellClick(int row, int col) override;

private:
    void FillRow(int row, int serial, const inventory::KnownDevice& device, std::int64_t now);

    std::vector<inventory::KnownDevice> m_devices;  // by data row
    QPointer<QMenu> m_pMenu;
};

}  // namespace cpe
