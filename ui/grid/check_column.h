// The check-box column of a grid (column 0): a click on a row's box flips it, a click on the
// header's box checks every row, or clears them all when it is checked.
#pragma once

namespace cpe {

class CGridCtrl;

void FlipRowCheck(CGridCtrl& grid, int row);
void FlipAllChecks(CGridCtrl& grid);

}  // namespace cpe
