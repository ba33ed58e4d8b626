#include "fleet/history_dlg.h"

#include "fleet/fleet_texts.h"
#include "inventory/inventory.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"

namespace cpe {

CHistoryDlg::CHistoryDlg(PageServices services, std::string mac, QWidget* parent)
    : CFleetDialog(kDialogId, services, std::move(mac), parent) {
    SetUpGrid({{"Date and time", 136}, {"Event", 130}, {"Details", 390}}, false);
    const std::vector<inventory::HistoryEvent> events = Services().inventory
                                                            ? Services().inventory->History(Mac(), kMaxEvents)
                                                            : std::vector<inventory::HistoryEvent>{};
    CGridCtrl& grid = *Grid();
    grid.SetRedraw(false);
    grid.SetRowCount(1 + static_cast<int>(events.size()));
    constexpr unsigned kLeft = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    for (int row = 1; const inventory::HistoryEvent& e : events) {
        SetDataCell(grid, row, 0, LocalTimeText(e.time), kLeft);
        SetDataCell(grid, row, 1, EventKindText(e.kind), kLeft);
        SetDataCell(grid, row, 2, EventDetailText(e.detail), kLeft);
        ++row;
    }
    grid.SetRedraw(true);
}

}  // namespace cpe
