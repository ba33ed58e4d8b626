// The table widget of the list pages: a rectangular array of cells whose first row is the
// header, painted with the skin, with a hover row written into the cells, a sort mark, check-box
// cells, hand-cursor columns, title tips for clipped text, column resizing, keyboard navigation,
// in-place editing, and notifications (with row and column) to the parent page.
#pragma once

#include "ui/grid/grid_cell.h"
#include "ui/grid/in_place_edit.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPointer>
#include <memory>
#include <set>
#include <vector>

namespace cpe {

class CImageList;
class CTitleTip;

// Notification codes sent to the parent.
enum GridNotifyCode : int {
    NM_CLICK = -2,
    NM_DBLCLK = -3,
    NM_RCLICK = -5,
    LVN_ITEMCHANGING = -100,
    LVN_ITEMCHANGED = -101,
    LVN_BEGINDRAG = -109,
    LVN_BEGINLABELEDITW = -175,
    LVN_ENDLABELEDITW = -176,
};

struct GridNotify {
    int ctrlId = 0;
    int code = 0;
    int iRow = -1;
    int iColumn = -1;
};

// Delivered synchronously to the parent (or owner). A handler may set a negative result to
// refuse an edit that is about to begin or to undo one that has ended.
class GridNotifyEvent : public QEvent {
public:
    static QEvent::Type EventType();
    explicit GridNotifyEvent(const GridNotify& n) : QEvent(EventType()), m_notify(n) {}
    const GridNotify& Notify() const { return m_notify; }
    int Result() const { return m_nResult; }
    void SetResult(int r) { m_nResult = r; }

private:
    GridNotify m_notify;
    int m_nResult = 0;
};

struct CCellID {
    int row = -1;
    int col = -1;
    bool IsValid() const { return row >= 0 && col >= 0; }
    bool operator==(const CCellID&) const = default;
    auto operator<=>(const CCellID&) const = default;
};

class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum GridLines { kGridLinesNone = 0, kGridLinesHorz = 1, kGridLinesVert = 2, kGridLinesBoth = 3 };
    static constexpr int kEditorId = 8;

    explicit CGridCtrl(QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // Table shape.
    bool SetRowCount(int rows);
    bool SetColumnCount(int cols);
    bool SetFixedRowCount(int rows);
    int GetFixedRowCount() const { return m_nFixedRows; }
    bool SetFixedColumnCount(int cols);
    int GetRowCount() const { return static_cast<int>(m_rowHeights.size()); }
    int GetColumnCount() const { return static_cast<int>(m_colWidths.size()); }
    void DeleteNonFixedRows();

    // A column's width as asked for; when the columns fill the grid's width it is the column's
    // share of that width instead (GetColumnWidth gives the width shown).
    void SetColumnWidth(int col, int width);
    int GetColumnWidth(int col) const;
    int GetColumnWeight(int col) const;
    // The columns keep the proportions of their asked widths and together fill the room beside
    // the vertical scroll bar, whatever the grid's size; a divider dragged by the operator moves
    // width between the two columns it separates.
    void SetColumnsFillWidth(bool fill);
    // When the columns fill the width, a column is never narrower than its minimum (0: half its
    // asked width); the other columns give way, and below the sum of the minimums the grid
    // scrolls. Texts that must never be cut (a number, an address) set it to their width.
    void SetColumnMinimumWidth(int col, int width);
    bool ColumnsFillWidth() const { return m_bFillWidth; }
    void SetRowHeight(int row, int height);
    int GetRowHeight(int row) const;
    void ResetScrollBars();

    // Cells.
    bool IsValid(int row, int col) const;
    CGridCellBase* GetCell(int row, int col) const;
    bool SetItemText(int row, int col, const QString& text);
    QString GetItemText(int row, int col) const;
    bool SetItemState(int row, int col, unsigned state);
    unsigned GetItemState(int row, int col) const;
    bool SetItemImage(int row, int col, int image);
    // Makes column 0 of `row` a check-box cell keeping the old cell's look and text.
    bool SetCheckCell(int row);
    CGridCellCheck* GetCheckCell(int row) const;
    CGridDefaultCell& GetDefaultCell(bool fixedRow, bool fixedCol);
    const CGridDefaultCell& GetDefaultCell(bool fixedRow, bool fixedCol) const;

    // Look.
    void SetGridBkColor(ColorRef c);
    void SetGridLineColor(ColorRef c);
    void SetGridLines(int mode);
    void SetImageList(const CImageList* images);
    const CImageList* GetImageList() const { return m_pImageList; }
    void SetSortColumn(int col);
    int GetSortColumn() const { return m_nSortColumn; }
    void SetSortAscending(bool ascending);
    bool GetSortAscending() const { return m_bAscending; }
    void AddHandColumn(int col);
    bool IsHandColumn(int col) const;
    int GetHoverRow() const { return m_nHoverRow; }
    void SetRedraw(bool allow);

    // Behaviour.
    void SetEditable(bool editable);
    bool IsEditable() const { return m_bEditable; }
    void EnableSelection(bool enable);
    CCellID GetFocusCell() const { return m_focus; }
    void SetFocusCell(int row, int col);
    bool IsCellSelected(int row, int col) const;
    int GetSelectedCount() const { return static_cast<int>(m_selection.size()); }
    void SetDlgCtrlID(int id) { m_nCtrlId = id; }
    int GetDlgCtrlID() const { return m_nCtrlId; }

    // Starts editing a cell in place; `startChar` is the typed character that began it (0: mouse).
    bool EditCell(int row, int col, QChar startChar = QChar());
    CInPlaceEdit* InPlaceEditor() const { return m_editor; }
    CTitleTip* TitleTip() const { return m_titleTip; }
    // Shown, word-wrapped, in the room under the header while the grid has no data row (empty:
    // nothing).
    void SetEmptyText(const QString& text);
    const QString& EmptyText() const { return m_strEmptyText; }

    // Geometry, in viewport coordinates.
    QRect CellRect(int row, int col) const;
    CCellID CellFromPoint(QPoint pos) const;
    void EnsureVisible(int row, int col);
    void RedrawCell(int row, int col);
    void RedrawRow(int row);

    // Called by the in-place editor when it closes.
    void OnEndInPlaceEdit(int row, int col, const QString& text, int lastKey);

signals:
    void Notified(int code, int row, int col);
    void Command(int ctrlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void PaintEmptyText(QPainter& p);
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    enum MouseMode { kMouseNothing, kMouseSelectCells, kMouseSizingCol, kMousePrepareEdit };
    using Row = std::vector<std::unique_ptr<CGridCellBase>>;

    std::unique_ptr<CGridCellBase> NewCell(int row, int col);
    unsigned FixedFlags(int row, int col) const;
    int RowTop(int row) const;      // content coordinates
    int ColumnLeft(int col) const;  // content coordinates
    int FixedHeight() const;
    int ResizeColumnAt(QPoint pos) const;
    void FitColumnsToWidth();
    // Ends a divider drag: the column becomes `width` wide.
    void DragColumnWidth(int col, int width);
    int SendNotify(int code, int row, int col);
    void ClearSelection();
    void SelectCell(int row, int col, bool on);
    void SetHoverRow(int row);
    void UpdateCursor(QPoint pos, CCellID cell);
    void UpdateTitleTip(QPoint pos, CCellID cell);
    void MoveFocus(int row, int col);

    std::vector<Row> m_cells;
    std::vector<int> m_rowHeights;
    std::vector<int> m_colWidths;    // as shown
    std::vector<int> m_colWeights;   // as asked for
    std::vector<int> m_colMinimums;  // when filling: the narrowest each may get
    bool m_bFillWidth = false;
    int m_nTotalHeight = 0;
    int m_nTotalWidth = 0;
    int m_nFixedRows = 0;
    int m_nFixedCols = 0;
    CGridDefaultCell m_defaults[4];  // ordinary, fixed row, fixed column, corner

    ColorRef m_crGridBk;
    ColorRef m_crGridLine = Rgb(0, 118, 0);
    int m_nGridLines = kGridLinesBoth;
    bool m_bEditable = true;
    bool m_bEnableSelection = true;
    bool m_bAllowRedraw = true;

    std::set<CCellID> m_selection;
    CCellID m_focus;
    CCellID m_leftClickDown;
    MouseMode m_mouseMode = kMouseNothing;
    int m_nResizeCol = -1;
    int m_nResizeX = -1;
    const CImageList* m_pImageList = nullptr;
    int m_nSortColumn = -1;
    bool m_bAscending = true;
    int m_nHoverRow = -1;
    std::vector<QString> m_handColumns;  // decimal column numbers
    int m_nCtrlId = 0;
    CTitleTip* m_titleTip = nullptr;
    QString m_strEmptyText;
    QPointer<CInPlaceEdit> m_editor;
    ColorRef m_crNormalRowBk = Rgb(255, 255, 255);
    ColorRef m_crHoverRowBk = Rgb(242, 242, 242);
};

}  // namespace cpe
