#include "ui/grid/grid_cell.h"

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/image_list.h"
#include "ui/skin_qt.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace cpe {
namespace {

constexpr int kSortMarkGap = 3;  // between a header's text and its sort mark

int ToQtAlignment(unsigned format) {
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    else
        flags |= Qt::TextSingleLine;
    return flags;  // an ampersand is always shown as it stands: Qt has no prefix processing here
}

}  // namespace

const CGridCellBase* CGridCellBase::DefaultCell() const {
    if (!m_pGrid)
        return nullptr;
    return &m_pGrid->GetDefaultCell(IsFixedRow(), IsFixedCol());
}

unsigned CGridCellBase::GetFormat() const {
    if (m_nFormat)
        return *m_nFormat;
    const CGridCellBase* d = DefaultCell();
    return d ? d->GetFormat() : (DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

const QFont& CGridCellBase::GetFont() const {
    if (m_font)
        return *m_font;
    const CGridCellBase* d = DefaultCell();
    if (d)
        return d->GetFont();
    static const QFont fallback;
    return fallback;
}

int CGridCellBase::GetMargin() const {
    if (m_nMargin >= 0)
        return m_nMargin;
    const CGridCellBase* d = DefaultCell();
    return d ? d->GetMargin() : 3;
}

void CGridCellBase::CopyFrom(const CGridCellBase& o) {
    m_strText = o.m_strText;
    m_nImage = o.m_nImage;
    m_nState = o.m_nState;
    m_nFormat = o.m_nFormat;
    m_crText = o.m_crText;
    m_crBk = o.m_crBk;
    m_font = o.m_font;
    m_nMargin = o.m_nMargin;
}

QSize CGridCellBase::GetTextExtent(const QString& text) const {
    const QFontMetrics fm(GetFont());
    return {fm.horizontalAdvance(text), fm.height()};
}

QSize CGridCellBase::GetCellExtent() const {
    const QSize text = GetTextExtent(m_strText);
    int w = text.width() + 2 * GetMargin();
    int h = text.height() + 2 * GetMargin();
    if (m_pGrid && m_pGrid->GetImageList() && m_nImage >= 0) {
        const QSize img = m_pGrid->GetImageList()->ImageSize();
        w += m_pGrid->GetImageList()->UsedWidth(m_nImage) + kCellImageGap;
        h = std::max(h, img.height() + 2 * GetMargin());
    }
    return {w, h};
}

QRect CGridCellBase::GetTextRect(const QRect& cellRect) const {
    QRect r = cellRect.adjusted(GetMargin(), GetMargin(), -GetMargin(), -GetMargin());
    if (m_pGrid && m_pGrid->GetImageList() && m_nImage >= 0) {
        const CImageList* images = m_pGrid->GetImageList();
        const int used = images->UsedWidth(m_nImage);
        if (used <= r.width() && images->ImageSize().height() <= cellRect.height())
            r.setLeft(r.left() + used + kCellImageGap);
    }
    return r;
}

void CGridCellBase::Draw(QPainter& p, int row, int col, const QRect& rect) {
    m_lastDrawn = rect;
    const CGridCellBase* d = DefaultCell();
    const ColorRef textRef = m_crText != CLR_DEFAULT ? m_crText : (d ? d->m_crText : Rgb(0, 0, 0));
    const ColorRef bkRef = m_crBk != CLR_DEFAULT ? m_crBk : (d ? d->m_crBk : Rgb(255, 255, 255));
    QColor text = textRef == CLR_DEFAULT ? QColor(Qt::black) : ToQColor(textRef);
    QColor bk = bkRef == CLR_DEFAULT ? QColor(Qt::white) : ToQColor(bkRef);
    const QPalette& pal = QApplication::palette();

    if (IsFocused() || IsDropHighlighted()) {
        if (IsSelected()) {
            p.fillRect(rect, pal.color(QPalette::Highlight));
            text = pal.color(QPalette::HighlightedText);
        } else {
            p.fillRect(rect, bk);
        }
        p.setPen(text);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    } else if (IsSelected()) {
        p.fillRect(rect, pal.color(QPalette::Highlight));
        text = pal.color(QPalette::HighlightedText);
    } else {
        p.fillRect(rect, row == 0 ? QColor(Qt::white) : bk);
    }

    if (IsFixed()) {
        p.setPen(QColor(237, 112, 32));
        p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    }

    const QFont& font = GetFont();
    p.setFont(font);
    const CImageList* images = m_pGrid ? m_pGrid->GetImageList() : nullptr;
    if (images && m_nImage >= 0) {
        const QRect inner = rect.adjusted(GetMargin(), GetMargin(), -GetMargin(), -GetMargin());
        const QSize img = images->ImageSize();
        if (images->UsedWidth(m_nImage) <= inner.width() && img.height() <= rect.height())
            images->Draw(p, m_nImage, QPoint(inner.left(), rect.top() + (rect.height() - img.height()) / 2));
    }

    const QRect room = TextRoom(row, col, rect);
    if (const int size = SortMarkSize(row, col, rect); size > 0) {
        const int half = size / 2;
        const int right = room.right() + kSortMarkGap + size;
        const int cy = rect.top() + rect.height() / 2;
        QPolygon tri;
        if (m_pGrid->GetSortAscending())
            tri << QPoint(right - half, cy - half) << QPoint(right, cy + half) << QPoint(right - size, cy + half);
        else
            tri << QPoint(right - size, cy - half) << QPoint(right, cy - half) << QPoint(right - half, cy + half);
        p.setPen(pal.color(QPalette::Dark));
        p.setBrush(QColor(215, 215, 215));
        p.drawPolygon(tri);
        p.setBrush(Qt::NoBrush);
    }

    if (!m_strText.isEmpty() && room.width() > 0) {
        p.setPen(text);
        p.drawText(room, ToQtAlignment(GetFormat()), ShownText(room));
    }
}

int CGridCellBase::SortMarkSize(int row, int col, const QRect& cellRect) const {
    if (row != 0 || !m_pGrid || col != m_pGrid->GetSortColumn())
        return 0;
    const QFontMetrics fm(GetFont());
    const int size = std::min(fm.tightBoundingRect(QStringLiteral("M")).height() - 4, cellRect.height() - 4);
    return std::max(size, 4);
}

QRect CGridCellBase::TextRoom(int row, int col, const QRect& cellRect) const {
    QRect r = GetTextRect(cellRect);
    if (const int mark = SortMarkSize(row, col, cellRect); mark > 0)
        r.setRight(r.right() - mark - kSortMarkGap);
    return r;
}

QString CGridCellBase::ShownText(const QRect& room) const {
    if (GetFormat() & DT_WORDBREAK)
        return m_strText;
    return QFontMetrics(GetFont()).elidedText(m_strText, Qt::ElideRight, std::max(room.width(), 0));
}

void CGridCellCheck::SetCheck(bool checked) {
    m_bChecked = checked;
    if (m_pGrid && !m_lastDrawn.isEmpty())
        m_pGrid->viewport()->update(m_lastDrawn);
}

int CGridCellCheck::BoxSide() const { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

QRect CGridCellCheck::CheckBoxRect(const QRect& cellRect) const {
    const int side = BoxSide();
    const int margin = GetMargin();
    // Vertically centred: with the 26-pixel rows of the lists a box at the top margin looks
    // dropped out of line with the row's text.
    return QRect(cellRect.left() + margin, cellRect.top() + (cellRect.height() - side) / 2, side, side);
}

void CGridCellCheck::Draw(QPainter& p, int row, int col, const QRect& rect) {
    CGridCellBase::Draw(p, row, col, rect);
    QStyleOptionButton opt;
    opt.rect = CheckBoxRect(rect);
    opt.state = QStyle::State_Enabled | (m_bChecked ? QStyle::State_On : QStyle::State_Off);
    QWidget* w = m_pGrid ? static_cast<QWidget*>(m_pGrid) : nullptr;
    QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p, w);
}

QRect CGridCellCheck::GetTextRect(const QRect& cellRect) const {
    QRect r = CGridCellBase::GetTextRect(cellRect);
    r.setLeft(r.left() + BoxSide() + 2 * GetMargin());
    return r;
}

QSize CGridCellCheck::GetCellExtent() const {
    QSize s = CGridCellBase::GetCellExtent();
    const int extra = BoxSide() + 2 * GetMargin();
    return {s.width() + extra, std::max(s.height(), extra)};
}

void CGridCellCheck::OnClick(QPoint) {
    if (m_pGrid && m_pGrid->IsEditable() && !IsReadOnly())
        SetCheck(!m_bChecked);
}

}  // namespace cpe

namespace cpe {

CGridDefaultCell::CGridDefaultCell() {
    m_nFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    m_font = MakeFont(Skin().gridFont);
    m_nMargin = 3;
    m_crText = Rgb(0, 0, 0);
    m_crBk = Rgb(255, 255, 255);
}

}  // namespace cpe
