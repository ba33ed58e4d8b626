// Mouse, keyboard, hover, title tips, in-place editing and notifications of the grid control.
#include "ui/grid/grid_ctrl.h"

#include "ui/grid/title_tip.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace cpe {
namespace {

constexpr int kDividerZone = 3;  // pixels either side of a column divider that start a resize

}  // namespace

int CGridCtrl::SendNotify(int code, int row, int col) {
    QObject* target = parentWidget();
    int result = 0;
    if (target) {
        GridNotifyEvent e(GridNotify{m_nCtrlId, code, row, col});
        QCoreApplication::sendEvent(target, &e);
        result = e.Result();
    }
    emit Notified(code, row, col);
    return result;
}

void CGridCtrl::ClearSelection() {
    for (const CCellID& id : m_selection)
        if (CGridCellBase* cell = GetCell(id.row, id.col)) {
            cell->SetState(cell->GetState() & ~kCellSelected);
            RedrawCell(id.row, id.col);
        }
    m_selection.clear();
}

void CGridCtrl::SelectCell(int row, int col, bool on) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return;
    if (on) {
        cell->SetState(cell->GetState() | kCellSelected);
        m_selection.insert({row, col});
    } else {
        cell->SetState(cell->GetState() & ~kCellSelected);
        m_selection.erase({row, col});
    }
    RedrawCell(row, col);
}

bool CGridCtrl::IsCellSelected(int row, int col) const { return m_selection.count({row, col}) != 0; }

void CGridCtrl::SetFocusCell(int row, int col) {
    if (CGridCellBase* old = GetCell(m_focus.row, m_focus.col)) {
        old->SetState(old->GetState() & ~kCellFocused);
        RedrawCell(m_focus.row, m_focus.col);
    }
    m_focus = {};
    if (CGridCellBase* cell = GetCell(row, col)) {
        cell->SetState(cell->GetState() | kCellFocused);
        m_focus = {row, col};
        RedrawCell(row, col);
    }
}

void CGridCtrl::SetHoverRow(int row) {
    if (row == m_nHoverRow)
        return;
    const int cols = GetColumnCount();
    if (m_nHoverRow >= m_nFixedRows && m_nHoverRow < GetRowCount()) {
        for (int c = 0; c < cols; ++c)
            GetCell(m_nHoverRow, c)->SetBackClr(m_crNormalRowBk);
        RedrawRow(m_nHoverRow);
    }
    for (int c = 0; c < cols; ++c)
        GetCell(row, c)->SetBackClr(m_crHoverRowBk);
    RedrawRow(row);
    m_nHoverRow = row;
}

int CGridCtrl::ResizeColumnAt(QPoint pos) const {
    if (pos.y() >= FixedHeight() || m_nFixedRows == 0)
        return -1;
    const int x = pos.x() + horizontalScrollBar()->value();
    int right = 0;
    // Filling the width, the last column ends at the grid's edge: that divider does not move.
    const int columns = m_bFillWidth ? GetColumnCount() - 1 : GetColumnCount();
    for (int c = 0; c < columns; ++c) {
        right += GetColumnWidth(c);
        if (std::abs(x - right) <= kDividerZone)
            return c;
    }
    return -1;
}

void CGridCtrl::UpdateCursor(QPoint pos, CCellID cell) {
    if (ResizeColumnAt(pos) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (cell.IsValid() && (cell.row < m_nFixedRows || IsHandColumn(cell.col)))
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->setCursor(Qt::ArrowCursor);
}

void CGridCtrl::UpdateTitleTip(QPoint pos, CCellID cell) {
    if (m_titleTip->isVisible() && !m_titleTip->Covered().contains(pos))
        m_titleTip->hide();
    if (QGuiApplication::mouseButtons() != Qt::NoButton || !cell.IsValid())
        return;
    if (m_editor && m_editor->Row() == cell.row && m_editor->Column() == cell.col)
        return;
    const CGridCellBase* c = GetCell(cell.row, cell.col);
    const QRect room = c->TextRoom(cell.row, cell.col, CellRect(cell.row, cell.col));
    if (c->GetText().isEmpty() || c->ShownText(room) == c->GetText())
        return;
    if (m_titleTip->isVisible() && m_titleTip->Covered() == room)
        return;
    m_titleTip->Show(room, c->GetText(), c->GetFont());
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_mouseMode == kMouseSizingCol) {
        m_nResizeX = std::max(pos.x(), ColumnLeft(m_nResizeCol) - horizontalScrollBar()->value() + 1);
        viewport()->update();
        return;
    }
    const CCellID cell = CellFromPoint(pos);
    if (m_mouseMode == kMouseSelectCells && (event->buttons() & Qt::LeftButton) && m_bEnableSelection &&
        cell.IsValid() && cell.row >= m_nFixedRows && m_focus.IsValid()) {
        const int r0 = std::min(m_focus.row, cell.row), r1 = std::max(m_focus.row, cell.row);
        const int c0 = std::min(m_focus.col, cell.col), c1 = std::max(m_focus.col, cell.col);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                if (!IsCellSelected(r, c))
                    SelectCell(r, c, true);
    }
    if (cell.IsValid() && cell.row >= m_nFixedRows)
        SetHoverRow(cell.row);
    UpdateCursor(pos, cell);
    UpdateTitleTip(pos, cell);
}

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
    m_titleTip->hide();
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const CCellID cell = CellFromPoint(pos);
    if (event->button() == Qt::RightButton) {
        m_leftClickDown = {};
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int resizeCol = ResizeColumnAt(pos);
    if (resizeCol >= 0) {
        m_mouseMode = kMouseSizingCol;
        m_nResizeCol = resizeCol;
        m_nResizeX = pos.x();
        return;
    }
    m_leftClickDown = cell;
    m_mouseMode = kMouseNothing;
    if (!cell.IsValid())
        return;
    const CGridCellBase* c = GetCell(cell.row, cell.col);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (cell == m_focus && m_bEditable && !c->IsReadOnly() && !ctrl &&
        c->GetTextRect(CellRect(cell.row, cell.col)).contains(pos)) {
        m_mouseMode = kMousePrepareEdit;
        return;
    }
    if (cell.row < m_nFixedRows || cell.col < m_nFixedCols || !m_bEnableSelection)
        return;
    SendNotify(LVN_ITEMCHANGING, cell.row, cell.col);
    if (ctrl) {
        SelectCell(cell.row, cell.col, !IsCellSelected(cell.row, cell.col));
    } else {
        ClearSelection();
        SelectCell(cell.row, cell.col, true);
    }
    SetFocusCell(cell.row, cell.col);
    m_mouseMode = kMouseSelectCells;
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        const CCellID cell = CellFromPoint(pos);
        SendNotify(NM_RCLICK, cell.row, cell.col);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const MouseMode mode = m_mouseMode;
    m_mouseMode = kMouseNothing;
    if (mode == kMouseSizingCol) {
        const int left = ColumnLeft(m_nResizeCol) - horizontalScrollBar()->value();
        DragColumnWidth(m_nResizeCol, std::max(1, pos.x() - left));
        m_nResizeCol = m_nResizeX = -1;
        ResetScrollBars();
        viewport()->update();
        return;
    }
    const CCellID down = m_leftClickDown;
    if (mode == kMousePrepareEdit) {
        EditCell(down.row, down.col);
        return;
    }
    if (!down.IsValid() || !CellFromPoint(pos).IsValid())
        return;
    SendNotify(LVN_ITEMCHANGED, down.row, down.col);
    if (CGridCellBase* cell = GetCell(down.row, down.col))
        cell->OnClick(pos - CellRect(down.row, down.col).topLeft());
    SendNotify(NM_CLICK, down.row, down.col);
    emit Command(m_nCtrlId);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const CCellID cell = CellFromPoint(event->position().toPoint());
    if (!cell.IsValid())
        return;
    SendNotify(NM_DBLCLK, cell.row, cell.col);
    const CGridCellBase* c = GetCell(cell.row, cell.col);
    if (m_bEditable && c && !c->IsReadOnly() && cell.row >= m_nFixedRows)
        EditCell(cell.row, cell.col);
}

void CGridCtrl::MoveFocus(int row, int col) {
    row = std::clamp(row, m_nFixedRows, std::max(m_nFixedRows, GetRowCount() - 1));
    col = std::clamp(col, m_nFixedCols, std::max(m_nFixedCols, GetColumnCount() - 1));
    if (!IsValid(row, col) || CCellID{row, col} == m_focus)
        return;
    if (m_bEnableSelection) {
        SendNotify(LVN_ITEMCHANGING, row, col);
        ClearSelection();
        SelectCell(row, col, true);
    }
    SetFocusCell(row, col);
    EnsureVisible(row, col);
    if (m_bEnableSelection)
        SendNotify(LVN_ITEMCHANGED, row, col);
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
    m_titleTip->hide();
    if (GetRowCount() <= m_nFixedRows || GetColumnCount() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    CCellID f = m_focus;
    if (!f.IsValid())
        f = {m_nFixedRows, m_nFixedCols};
    const int pageRows = std::max(1, (viewport()->height() - FixedHeight()) / std::max(1, GetRowHeight(f.row)));
    switch (event->key()) {
    case Qt::Key_Up: MoveFocus(m_focus.IsValid() ? f.row - 1 : f.row, f.col); return;
    case Qt::Key_Down: MoveFocus(m_focus.IsValid() ? f.row + 1 : f.row, f.col); return;
    case Qt::Key_Left: MoveFocus(f.row, m_focus.IsValid() ? f.col - 1 : f.col); return;
    case Qt::Key_Right: MoveFocus(f.row, m_focus.IsValid() ? f.col + 1 : f.col); return;
    case Qt::Key_PageUp: MoveFocus(f.row - pageRows, f.col); return;
    case Qt::Key_PageDown: MoveFocus(f.row + pageRows, f.col); return;
    case Qt::Key_Home: MoveFocus(event->modifiers() & Qt::ControlModifier ? m_nFixedRows : f.row, m_nFixedCols); return;
    case Qt::Key_End:
        MoveFocus(event->modifiers() & Qt::ControlModifier ? GetRowCount() - 1 : f.row, GetColumnCount() - 1);
        return;
    case Qt::Key_Tab:
        if (f.col + 1 < GetColumnCount())
            MoveFocus(f.row, f.col + 1);
        else if (f.row + 1 < GetRowCount())
            MoveFocus(f.row + 1, m_nFixedCols);
        return;
    case Qt::Key_F2:
        if (m_focus.IsValid())
            EditCell(m_focus.row, m_focus.col);
        return;
    default: break;
    }
    const QString typed = event->text();
    if (m_focus.IsValid() && m_bEditable && !typed.isEmpty() && typed.at(0).isPrint() &&
        !(event->modifiers() & Qt::ControlModifier)) {
        EditCell(m_focus.row, m_focus.col, typed.at(0));
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool CGridCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        m_titleTip->hide();  // the hover row stays: it is written into the cells
    return QAbstractScrollArea::viewportEvent(event);
}

bool CGridCtrl::EditCell(int row, int col, QChar startChar) {
    m_titleTip->hide();
    const CGridCellBase* cell = GetCell(row, col);
    if (!cell || !m_bEditable || cell->IsReadOnly())
        return false;
    if (m_editor)
        m_editor->EndEdit();
    EnsureVisible(row, col);
    if (SendNotify(LVN_BEGINLABELEDITW, row, col) < 0)
        return false;
    cell = GetCell(row, col);  // the parent may have changed the table
    if (!cell)
        return false;
    auto* editor = new CInPlaceEdit(this, CellRect(row, col), row, col, cell->GetText(), startChar);
    editor->setFont(cell->GetFont());
    m_editor = editor;
    return true;
}

void CGridCtrl::OnEndInPlaceEdit(int row, int col, const QString& text, int) {
    m_editor = nullptr;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return;
    if (text != cell->GetText()) {
        const QString old = cell->GetText();
        cell->SetText(text);
        const bool valid = cell->ValidateEdit(text);
        if (!valid || SendNotify(LVN_ENDLABELEDITW, row, col) < 0) {
            if (CGridCellBase* again = GetCell(row, col))
                again->SetText(old);
        } else if (CGridCellBase* again = GetCell(row, col)) {
            again->SetState(again->GetState() | kCellModified);
        }
    }
    RedrawCell(row, col);
    if (isVisible() && !hasFocus() && QApplication::focusWidget() == nullptr)
        setFocus(Qt::OtherFocusReason);
}

}  // namespace cpe
