#include "ui/grid/check_column.h"

#include "ui/grid/grid_ctrl.h"

namespace cpe {

void FlipRowCheck(CGridCtrl& grid, int row) {
    if (CGridCellCheck* check = grid.GetCheckCell(row)) {
        check->SetCheck(!check->GetCheck());
        grid.RedrawCell(row, 0);
    }
}

void FlipAllChecks(CGridCtrl& grid) {
    CGridCellCheck* header = grid.GetCheckCell(0);
    const bool check = header && !header->GetCheck();
    for (int row = 0; row < grid.GetRowCount(); ++row)
        if (CGridCellCheck* cell = grid.GetCheckCell(row))
            cell->SetCheck(check);
    grid.viewport()->update();
}

}  // namespace cpe
