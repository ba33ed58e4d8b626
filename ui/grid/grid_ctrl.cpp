// Table shape, cells, look and geometry of the grid control.
#include "ui/grid/grid_ctrl.h"

#include "ui/grid/image_list.h"
#include "ui/grid/title_tip.h"
#include "ui/skin_qt.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <numeric>

namespace cpe {
namespace {

// `total` pixels shared out in proportion to `weights`; the rounding leftovers go to the largest
// remainders, so the shares add up to `total` exactly.
std::vector<int> ShareInProportion(const std::vector<int>& weights, int total) {
    std::vector<int> shares(weights.size(), 0);
    long long sum = 0;
    for (int w : weights)
        sum += std::max(w, 0);
    if (sum == 0 || total <= 0)
        return shares;
    std::vector<std::pair<long long, std::size_t>> remainders;
    int given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const long long exact = static_cast<long long>(std::max(weights[i], 0)) * total;
        shares[i] = static_cast<int>(exact / sum);
        given += shares[i];
        remainders.emplace_back(exact % sum, i);
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t k = 0; given < total && k < remainders.size(); ++k, ++given)
        ++shares[remainders[k].second];
    return shares;
}

// The columns' widths in `total` pixels: in proportion to what they ask, but none below its floor
// (its minimum width where one is set, else half what it asks). A column that its share would put
// below its floor gets the floor, and the others share the rest again; when the floors alone
// exceed `total`, the columns stand at their floors and the grid scrolls.
std::vector<int> ShareWidth(const std::vector<int>& weights, const std::vector<int>& minimums, int total) {
    const std::size_t n = weights.size();
    std::vector<int> floors(n);
    for (std::size_t i = 0; i < n; ++i) {
        const int minimum = i < minimums.size() ? minimums[i] : 0;
        floors[i] = minimum > 0 ? minimum : (std::max(weights[i], 0) + 1) / 2;
    }
    std::vector<bool> atFloor(n, false);
    std::vector<int> shares;
    for (bool settled = false; !settled;) {
        long long rest = total;
        std::vector<int> free = weights;
        for (std::size_t i = 0; i < n; ++i)
            if (atFloor[i]) {
                rest -= floors[i];
                free[i] = 0;
            }
        shares = ShareInProportion(free, static_cast<int>(std::max<long long>(rest, 0)));
        settled = true;
        for (std::size_t i = 0; i < n; ++i)
            if (!atFloor[i] && shares[i] < floors[i]) {
                atFloor[i] = true;
                settled = false;
            }
    }
    for (std::size_t i = 0; i < n; ++i)
        if (atFloor[i])
            shares[i] = floors[i];
    return shares;
}

}  // namespace

QEvent::Type GridNotifyEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CGridCtrl::CGridCtrl(QWidget* parent) : QAbstractScrollArea(parent) {
    const QPalette& pal = QApplication::palette();
    m_crGridBk = FromQColor(pal.color(QPalette::Button));
    for (CGridDefaultCell& d : m_defaults) {
        d.SetTextClr(FromQColor(pal.color(QPalette::WindowText)));
        d.SetBackClr(FromQColor(pal.color(QPalette::Base)));
    }
    for (int i = 1; i < 4; ++i)
        m_defaults[i].SetBackClr(FromQColor(pal.color(QPalette::Button)));
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setSingleStep(10);
    verticalScrollBar()->setSingleStep(26);
    ApplyScrollBarStyle(*horizontalScrollBar());
    ApplyScrollBarStyle(*verticalScrollBar());
    m_titleTip = new CTitleTip(this);
}

CGridCtrl::~CGridCtrl() {
    // The editor would report to a half-destroyed grid when it loses the focus on its way out.
    if (m_editor) {
        m_editor->Detach();
        delete m_editor.data();
    }
}

// ---- shape ------------------------------------------------------------------------------

unsigned CGridCtrl::FixedFlags(int row, int col) const {
    unsigned flags = 0;
    if (row < m_nFixedRows)
        flags |= kCellFixed | kCellFixedRow;
    if (col < m_nFixedCols)
        flags |= kCellFixed | kCellFixedCol;
    return flags;
}

std::unique_ptr<CGridCellBase> CGridCtrl::NewCell(int row, int col) {
    auto cell = std::make_unique<CGridCell>();
    cell->SetGrid(this);
    cell->SetState(FixedFlags(row, col));
    return cell;
}

bool CGridCtrl::SetRowCount(int rows) {
    if (rows < 0)
        return false;
    if (rows == GetRowCount())
        return true;
    ClearSelection();
    if (m_editor)
        m_editor->EndEdit();
    const int oldRows = GetRowCount();
    const int cols = GetColumnCount();
    const int defaultHeight = m_defaults[0].m_defaultSize.height();
    m_cells.resize(static_cast<std::size_t>(rows));
    m_rowHeights.resize(static_cast<std::size_t>(rows), defaultHeight);
    for (int r = oldRows; r < rows; ++r) {
        Row& row = m_cells[static_cast<std::size_t>(r)];
        row.reserve(static_cast<std::size_t>(cols));
        for (int c = 0; c < cols; ++c)
            row.push_back(NewCell(r, c));
    }
    if (m_nFixedRows > rows)
        m_nFixedRows = rows;
    if (m_nHoverRow >= rows)
        m_nHoverRow = -1;
    if (m_focus.row >= rows)
        m_focus = {};
    m_nTotalHeight = 0;
    for (int h : m_rowHeights)
        m_nTotalHeight += h;
    ResetScrollBars();
    if (m_bAllowRedraw)
        viewport()->update();
    return true;
}

bool CGridCtrl::SetColumnCount(int cols) {
    if (cols < 0)
        return false;
    if (cols == GetColumnCount())
        return true;
    ClearSelection();
    if (m_editor)
        m_editor->EndEdit();
    const int oldCols = GetColumnCount();
    m_colWidths.resize(static_cast<std::size_t>(cols), m_defaults[0].m_defaultSize.width());
    m_colWeights.resize(static_cast<std::size_t>(cols), m_defaults[0].m_defaultSize.width());
    m_colMinimums.resize(static_cast<std::size_t>(cols), 0);
    for (int r = 0; r < GetRowCount(); ++r) {
        Row& row = m_cells[static_cast<std::size_t>(r)];
        row.resize(static_cast<std::size_t>(std::min(cols, oldCols)));
        for (int c = oldCols; c < cols; ++c)
            row.push_back(NewCell(r, c));
    }
    if (m_nFixedCols > cols)
        m_nFixedCols = cols;
    if (m_focus.col >= cols)
        m_focus = {};
    m_nTotalWidth = 0;
    for (int w : m_colWidths)
        m_nTotalWidth += w;
    ResetScrollBars();
    if (m_bAllowRedraw)
        viewport()->update();
    return true;
}

bool CGridCtrl::SetFixedRowCount(int rows) {
    if (rows < 0)
        return false;
    if (rows > GetRowCount())
        SetRowCount(rows);
    m_nFixedRows = rows;
    ClearSelection();
    for (int r = 0; r < GetRowCount(); ++r)
        for (int c = 0; c < GetColumnCount(); ++c) {
            CGridCellBase* cell = GetCell(r, c);
            cell->SetState((cell->GetState() & ~(kCellFixed | kCellFixedRow | kCellFixedCol)) | FixedFlags(r, c));
        }
    ResetScrollBars();
    viewport()->update();
    return true;
}

bool CGridCtrl::SetFixedColumnCount(int cols) {
    if (cols < 0)
        return false;
    if (cols > GetColumnCount())
        SetColumnCount(cols);
    m_nFixedCols = cols;
    return SetFixedRowCount(m_nFixedRows);
}

void CGridCtrl::DeleteNonFixedRows() {
    SetRowCount(m_nFixedRows);
    m_nSortColumn = -1;
    m_nHoverRow = -1;
}

void CGridCtrl::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= GetColumnCount())
        return;
    m_colWeights[static_cast<std::size_t>(col)] = std::max(width, 0);
    if (m_bFillWidth) {
        FitColumnsToWidth();
        return;
    }
    int& w = m_colWidths[static_cast<std::size_t>(col)];
    m_nTotalWidth += std::max(width, 0) - w;
    w = std::max(width, 0);
}

int CGridCtrl::GetColumnWidth(int col) const {
    return col >= 0 && col < GetColumnCount() ? m_colWidths[static_cast<std::size_t>(col)] : 0;
}

int CGridCtrl::GetColumnWeight(int col) const {
    return col >= 0 && col < GetColumnCount() ? m_colWeights[static_cast<std::size_t>(col)] : 0;
}

void CGridCtrl::SetColumnMinimumWidth(int col, int width) {
    if (col < 0 || col >= GetColumnCount())
        return;
    m_colMinimums[static_cast<std::size_t>(col)] = std::max(width, 0);
    ResetScrollBars();
}

void CGridCtrl::SetColumnsFillWidth(bool fill) {
    m_bFillWidth = fill;
    if (!fill) {
        m_colWidths = m_colWeights;
        m_nTotalWidth = std::accumulate(m_colWidths.begin(), m_colWidths.end(), 0);
    }
    ResetScrollBars();
    if (m_bAllowRedraw)
        viewport()->update();
}

void CGridCtrl::FitColumnsToWidth() {
    if (!m_bFillWidth)
        return;
    const QSize room = maximumViewportSize();
    const bool needV = m_nTotalHeight > room.height();
    const int width = room.width() - (needV ? verticalScrollBar()->sizeHint().width() : 0);
    m_colWidths = ShareWidth(m_colWeights, m_colMinimums, width);
    m_nTotalWidth = std::accumulate(m_colWidths.begin(), m_colWidths.end(), 0);
}

void CGridCtrl::DragColumnWidth(int col, int width) {
    if (!m_bFillWidth) {
        SetColumnWidth(col, width);
        return;
    }
    // The width the column gains comes from its right-hand neighbour; neither goes below a pixel.
    const int next = col + 1;
    if (col < 0 || next >= GetColumnCount())
        return;
    int& own = m_colWidths[static_cast<std::size_t>(col)];
    int& neighbour = m_colWidths[static_cast<std::size_t>(next)];
    const int gain = std::clamp(width - own, 1 - own, std::max(0, neighbour - 1));
    own += gain;
    neighbour -= gain;
    m_colWeights = m_colWidths;
}

void CGridCtrl::SetRowHeight(int row, int height) {
    if (row < 0 || row >= GetRowCount())
        return;
    int& h = m_rowHeights[static_cast<std::size_t>(row)];
    m_nTotalHeight += std::max(height, 0) - h;
    h = std::max(height, 0);
}

int CGridCtrl::GetRowHeight(int row) const {
    return row >= 0 && row < GetRowCount() ? m_rowHeights[static_cast<std::size_t>(row)] : 0;
}

void CGridCtrl::ResetScrollBars() {
    FitColumnsToWidth();
    // The room the cells get once the bars that are needed take theirs.
    const QSize room = maximumViewportSize();
    const int barW = verticalScrollBar()->sizeHint().width();
    const int barH = horizontalScrollBar()->sizeHint().height();
    bool needH = m_nTotalWidth > room.width();
    const bool needV = m_nTotalHeight > room.height() - (needH ? barH : 0);
    needH = needH || (needV && m_nTotalWidth > room.width() - barW);
    const QSize view(room.width() - (needV ? barW : 0), room.height() - (needH ? barH : 0));
    const int fixed = FixedHeight();
    horizontalScrollBar()->setRange(0, std::max(0, m_nTotalWidth - view.width()));
    horizontalScrollBar()->setPageStep(std::max(1, view.width()));
    verticalScrollBar()->setRange(0, std::max(0, m_nTotalHeight - view.height()));
    verticalScrollBar()->setPageStep(std::max(1, view.height() - fixed));
}

// ---- cells ------------------------------------------------------------------------------

bool CGridCtrl::IsValid(int row, int col) const {
    return row >= 0 && row < GetRowCount() && col >= 0 && col < GetColumnCount();
}

CGridCellBase* CGridCtrl::GetCell(int row, int col) const {
    if (!IsValid(row, col))
        return nullptr;
    return m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)].get();
}

bool CGridCtrl::SetItemText(int row, int col, const QString& text) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return false;
    cell->SetText(text);
    return true;
}

QString CGridCtrl::GetItemText(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetText() : QString();
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return false;
    if (state & kCellSelected)
        m_selection.insert({row, col});
    else
        m_selection.erase({row, col});
    cell->SetState(state);
    RedrawCell(row, col);
    return true;
}

unsigned CGridCtrl::GetItemState(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetState() : 0;
}

bool CGridCtrl::SetItemImage(int row, int col, int image) {
    CGridCellBase* cell = GetCell(row, col);
    if (cell)
        cell->SetImage(image);
    return cell != nullptr;
}

bool CGridCtrl::SetCheckCell(int row) {
    CGridCellBase* old = GetCell(row, 0);
    if (!old)
        return false;
    auto check = std::make_unique<CGridCellCheck>();
    check->CopyFrom(*old);
    check->SetGrid(this);
    m_cells[static_cast<std::size_t>(row)][0] = std::move(check);
    RedrawCell(row, 0);
    return true;
}

CGridCellCheck* CGridCtrl::GetCheckCell(int row) const { return dynamic_cast<CGridCellCheck*>(GetCell(row, 0)); }

CGridDefaultCell& CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) {
    return m_defaults[(fixedRow ? 1 : 0) + (fixedCol ? 2 : 0)];
}

const CGridDefaultCell& CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) const {
    return m_defaults[(fixedRow ? 1 : 0) + (fixedCol ? 2 : 0)];
}

// ---- look -------------------------------------------------------------------------------

void CGridCtrl::SetGridBkColor(ColorRef c) {
    m_crGridBk = c;
    if (m_bAllowRedraw)
        viewport()->update();
}

void CGridCtrl::SetGridLineColor(ColorRef c) {
    m_crGridLine = c;
    if (m_bAllowRedraw)
        viewport()->update();
}

void CGridCtrl::SetGridLines(int mode) {
    m_nGridLines = mode;
    if (m_bAllowRedraw)
        viewport()->update();
}

void CGridCtrl::SetImageList(const CImageList* images) {
    m_pImageList = images;
    viewport()->update();
}

void CGridCtrl::SetSortColumn(int col) {
    if (m_nSortColumn >= 0)
        RedrawCell(0, m_nSortColumn);
    m_nSortColumn = col;
    if (col >= 0)
        RedrawCell(0, col);
}

void CGridCtrl::SetSortAscending(bool ascending) {
    m_bAscending = ascending;
    if (m_nSortColumn >= 0)
        RedrawCell(0, m_nSortColumn);
}

void CGridCtrl::AddHandColumn(int col) {
    const QString key = QString::number(col);
    if (std::find(m_handColumns.begin(), m_handColumns.end(), key) == m_handColumns.end())
        m_handColumns.push_back(key);
}

bool CGridCtrl::IsHandColumn(int col) const {
    const QString key = QString::number(col);
    return std::find(m_handColumns.begin(), m_handColumns.end(), key) != m_handColumns.end();
}

void CGridCtrl::SetRedraw(bool allow) {
    m_bAllowRedraw = allow;
    if (allow) {
        ResetScrollBars();
        viewport()->update();
    }
}

void CGridCtrl::SetEditable(bool editable) {
    m_bEditable = editable;
    if (m_bAllowRedraw)
        viewport()->update();
}

void CGridCtrl::EnableSelection(bool enable) {
    ClearSelection();
    SetFocusCell(-1, -1);
    m_bEnableSelection = enable;
}

// ---- geometry ---------------------------------------------------------------------------

int CGridCtrl::RowTop(int row) const {
    int y = 0;
    for (int r = 0; r < row && r < GetRowCount(); ++r)
        y += m_rowHeights[static_cast<std::size_t>(r)];
    return y;
}

int CGridCtrl::ColumnLeft(int col) const {
    int x = 0;
    for (int c = 0; c < col && c < GetColumnCount(); ++c)
        x += m_colWidths[static_cast<std::size_t>(c)];
    return x;
}

int CGridCtrl::FixedHeight() const { return RowTop(m_nFixedRows); }

QRect CGridCtrl::CellRect(int row, int col) const {
    if (!IsValid(row, col))
        return {};
    int y = RowTop(row);
    if (row >= m_nFixedRows)
        y -= verticalScrollBar()->value();
    const int x = ColumnLeft(col) - horizontalScrollBar()->value();
    return QRect(x, y, GetColumnWidth(col), GetRowHeight(row));
}

CCellID CGridCtrl::CellFromPoint(QPoint pos) const {
    if (pos.x() < 0 || pos.y() < 0)
        return {};
    const int fixed = FixedHeight();
    int y = pos.y();
    int row = -1;
    if (y < fixed) {
        int top = 0;
        for (int r = 0; r < m_nFixedRows; ++r) {
            top += GetRowHeight(r);
            if (y < top) {
                row = r;
                break;
            }
        }
    } else {
        y += verticalScrollBar()->value();
        int top = fixed;
        for (int r = m_nFixedRows; r < GetRowCount(); ++r) {
            top += GetRowHeight(r);
            if (y < top) {
                row = r;
                break;
            }
        }
    }
    const int x = pos.x() + horizontalScrollBar()->value();
    int col = -1;
    int left = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
        left += GetColumnWidth(c);
        if (x < left) {
            col = c;
            break;
        }
    }
    if (row < 0 || col < 0)
        return {};
    return {row, col};
}

void CGridCtrl::EnsureVisible(int row, int col) {
    if (!IsValid(row, col))
        return;
    const QRect view = viewport()->rect();
    if (row >= m_nFixedRows) {
        const int top = RowTop(row) - FixedHeight();
        const int visible = view.height() - FixedHeight();
        QScrollBar* v = verticalScrollBar();
        if (top < v->value())
            v->setValue(top);
        else if (top + GetRowHeight(row) > v->value() + visible)
            v->setValue(top + GetRowHeight(row) - visible);
    }
    const int left = ColumnLeft(col);
    QScrollBar* h = horizontalScrollBar();
    if (left < h->value())
        h->setValue(left);
    else if (left + GetColumnWidth(col) > h->value() + view.width())
        h->setValue(std::min(left, left + GetColumnWidth(col) - view.width()));
}

void CGridCtrl::RedrawCell(int row, int col) {
    if (!m_bAllowRedraw || !isVisible() || !IsValid(row, col))
        return;
    viewport()->update(CellRect(row, col));
}

void CGridCtrl::RedrawRow(int row) {
    if (!m_bAllowRedraw || !isVisible() || row < 0 || row >= GetRowCount())
        return;
    const QRect first = CellRect(row, 0);
    if (first.isValid())
        viewport()->update(QRect(0, first.top(), viewport()->width(), first.height()));
}

void CGridCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    ResetScrollBars();
}

void CGridCtrl::scrollContentsBy(int, int) {
    if (m_editor)
        m_editor->EndEdit();
    viewport()->update();
}

}  // namespace cpe
