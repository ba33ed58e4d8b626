#include "ui/grid/grid_styles.h"

#include <QFontMetrics>

#include <algorithm>

#include "ui/grid/grid_ctrl.h"
#include "ui/skin_qt.h"

namespace cpe {
namespace {

// Built once per skin font and shared by every cell (the grid runs on the UI thread only).
struct FontCache {
    bool ready = false;
    LogFont built;
    QFont font;
};

const QFont& CachedFont(const LogFont& wanted, FontCache& cache) {
    LogFont& built = cache.built;
    QFont& font = cache.font;
    if (!cache.ready || built.height != wanted.height || built.weight != wanted.weight ||
        built.faceName != wanted.faceName) {
        built = wanted;
        font = MakeFont(wanted);
        cache.ready = true;
    }
    return font;
}

const QFont& TitleFont() {
    static FontCache cache;
    return CachedFont(Skin().gridTitleFont, cache);
}

const QFont& CellFont() {
    static FontCache cache;
    return CachedFont(Skin().gridFont, cache);
}

void FillCell(CGridCtrl& grid, int row, int col, const QString& text, unsigned format, ColorRef color) {
    CGridCellBase* cell = grid.GetCell(row, col);
    if (!cell)
        return;
    cell->SetFormat(format);
    cell->SetFont(CellFont());
    cell->SetText(text);
    cell->SetTextClr(color);
}

}  // namespace

void SetTitleCell(CGridCtrl& grid, int col, int width, const QString& text) {
    CGridCellBase* cell = grid.GetCell(0, col);
    if (!cell)
        return;
    const SkinSettings& s = Skin();
    cell->SetFormat(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    grid.SetColumnWidth(col, width);
    cell->SetFont(TitleFont());
    cell->SetTextClr(s.gridTitleTextColor);
    cell->SetText(text);
    cell->SetBackClr(s.gridTitleBkColor);
    grid.RedrawRow(0);
}

void SetColumnMinimumText(CGridCtrl& grid, int col, const QString& widest, int imageWidth) {
    const CGridCellBase* title = grid.GetCell(0, col);
    if (!title)
        return;
    constexpr int kGridLine = 1;  // a cell's text room ends before the line on its right
    int cell = QFontMetrics(CellFont()).horizontalAdvance(widest) + 2 * title->GetMargin();
    if (imageWidth > 0)
        cell += imageWidth + (widest.isEmpty() ? 0 : kCellImageGap);
    grid.SetColumnMinimumWidth(col, std::max(title->GetCellExtent().width(), cell) + kGridLine);
}

void SetDataCell(CGridCtrl& grid, int row, int col, const QString& text, unsigned format) {
    if (row >= 0 && row < grid.GetRowCount() && grid.GetRowHeight(row) != kGridDataRowHeight) {
        grid.SetRowHeight(row, kGridDataRowHeight);
        grid.ResetScrollBars();
    }
    FillCell(grid, row, col, text, format, Skin().gridTextColor);
}

void SetOfflineCell(CGridCtrl& grid, int row, int col, const QString& text, unsigned format) {
    if (row >= 0 && row < grid.GetRowCount() && grid.GetRowHeight(row) != kGridDataRowHeight) {
        grid.SetRowHeight(row, kGridDataRowHeight);
        grid.ResetScrollBars();
    }
    FillCell(grid, row, col, text, format, Skin().textUnlineColor);
}

void SetOnlineCell(CGridCtrl& grid, int row, int col, const QString& text, unsigned format) {
    FillCell(grid, row, col, text, format, Skin().textOnlineColor);
    grid.RedrawRow(row);
}

void ApplyListGridStyle(CGridCtrl& grid) {
    const SkinSettings& s = Skin();
    grid.SetGridBkColor(s.childBkColor);
    grid.SetGridLineColor(s.lineColor);
    grid.SetGridLines(CGridCtrl::kGridLinesHorz);
    grid.SetEditable(false);
    grid.SetColumnsFillWidth(true);
}

}  // namespace cpe
