// Painting of the grid control: visible cells only, the header rows on top of the scrolled rows,
// grid lines, and the column-resize guide.
#include "ui/grid/grid_ctrl.h"

#include "ui/skin_qt.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace cpe {

void CGridCtrl::SetEmptyText(const QString& text) {
    if (text == m_strEmptyText)
        return;
    m_strEmptyText = text;
    viewport()->update();
}

void CGridCtrl::PaintEmptyText(QPainter& p) {
    constexpr int kMargin = 12;
    const QRect room = viewport()->rect().adjusted(kMargin, FixedHeight() + kMargin, -kMargin, -kMargin);
    p.save();
    p.setPen(ToQColor(GetDefaultCell(false, false).GetTextClr()));
    p.setFont(GetDefaultCell(false, false).GetFont());
    p.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_strEmptyText);
    p.restore();
}

void CGridCtrl::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const QRect clip = event->rect();
    p.fillRect(clip, ToQColor(m_crGridBk));
    const int rows = GetRowCount();
    const int cols = GetColumnCount();
    if (rows <= m_nFixedRows && !m_strEmptyText.isEmpty())
        PaintEmptyText(p);
    if (rows == 0 || cols == 0)
        return;
    const int xOff = horizontalScrollBar()->value();
    const int fixed = FixedHeight();
    const int viewH = viewport()->height();

    // Column edges once per paint.
    std::vector<int> lefts(static_cast<std::size_t>(cols) + 1);
    for (int c = 0; c < cols; ++c)
        lefts[static_cast<std::size_t>(c) + 1] = lefts[static_cast<std::size_t>(c)] + GetColumnWidth(c);
    int firstCol = 0;
    while (firstCol < cols && lefts[static_cast<std::size_t>(firstCol) + 1] - xOff <= clip.left())
        ++firstCol;

    const QColor lineColor = ToQColor(m_crGridLine);
    int lastBottom = 0;
    int lastRight = lefts.back() - xOff;
    auto paintRow = [&](int r, int y) {
        const int h = GetRowHeight(r);
        if (y + h <= clip.top() || y > clip.bottom())
            return;
        for (int c = firstCol; c < cols; ++c) {
            const int x = lefts[static_cast<std::size_t>(c)] - xOff;
            if (x > clip.right())
                break;
            const QRect cellRect(x, y, GetColumnWidth(c), h);
            GetCell(r, c)->Draw(p, r, c, cellRect);
        }
        if (m_nGridLines & kGridLinesHorz) {
            p.setPen(lineColor);
            if (r >= m_nFixedRows)
                p.drawLine(0, y + h - 1, std::min(lastRight, viewport()->width()) - 1, y + h - 1);
        }
    };

    // Scrolled rows first, clipped below the fixed rows, then the fixed rows on top.
    p.save();
    p.setClipRect(QRect(0, fixed, viewport()->width(), viewH - fixed).intersected(clip));
    int y = fixed - verticalScrollBar()->value();
    for (int r = m_nFixedRows; r < rows; ++r) {
        const int h = GetRowHeight(r);
        if (y > viewH)
            break;
        if (y + h > fixed)
            paintRow(r, y);
        y += h;
    }
    lastBottom = std::max(fixed, y);
    p.restore();
    int fy = 0;
    for (int r = 0; r < m_nFixedRows; ++r) {
        paintRow(r, fy);
        fy += GetRowHeight(r);
    }
    if (m_nGridLines & kGridLinesVert) {
        p.setPen(lineColor);
        const int bottom = std::min(lastBottom, viewH) - 1;
        for (int c = firstCol; c < cols; ++c) {
            const int x = lefts[static_cast<std::size_t>(c) + 1] - xOff - 1;
            if (x > clip.right())
                break;
            p.drawLine(x, 0, x, bottom);
        }
    }
    if (m_mouseMode == kMouseSizingCol && m_nResizeX >= 0) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawLine(m_nResizeX, 0, m_nResizeX, viewH);
    }
}

}  // namespace cpe
