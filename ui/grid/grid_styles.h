// The cell styles every list page writes its grid with: header cells, ordinary data cells, and
// data cells in the offline and online colours of the skin.
#pragma once

#include <QString>

namespace cpe {

class CGridCtrl;

constexpr int kGridDataRowHeight = 26;

void SetTitleCell(CGridCtrl& grid, int col, int width, const QString& text);
// Keeps a list column, when the grid narrows, wide enough for its title and for a cell that
// shows `widest` (in the cells' font) beside an image `imageWidth` pixels wide.
void SetColumnMinimumText(CGridCtrl& grid, int col, const QString& widest, int imageWidth = 0);
void SetDataCell(CGridCtrl& grid, int row, int col, const QString& text, unsigned format);
void SetOfflineCell(CGridCtrl& grid, int row, int col, const QString& text, unsigned format);
void SetOnlineCell(CGridCtrl& grid, int row, int col, const QString& text, unsigned format);
// The settings every list page gives its grid: skin background and line colour, horizontal
// lines only, read-only, columns sharing the grid's whole width in the proportions of their
// widths.
void ApplyListGridStyle(CGridCtrl& grid);

}  // namespace cpe
