#include "ui/ct_multi_pages.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

namespace cpe {

QEvent::Type PagerSelectEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + WM_PAGER_SELECT));
    return type;
}

CTMultiPages::CTMultiPages(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void CTMultiPages::ResetPager(QObject* notify, int ownerPageId) {
    m_nTotalPage = -1;
    m_nCurPage = 1;
    m_nHover = m_nPressed = -1;
    m_values.fill(0);
    m_rects.fill(QRect());
    m_nSlotCount = 0;
    m_notify = notify;
    m_nOwnerId = ownerPageId;
    update();
}

CTMultiPages::SlotValues CTMultiPages::ComputeSlots(int n, int c, int* count) {
    SlotValues v{};
    int used = 0;
    if (n > kSlots) {
        v[0] = 1;
        v[6] = n;
        if (c > 4) {
            v[1] = kEllipsis;
            if (c < n - 3) {
                v[2] = c - 1;
                v[3] = c;
                v[4] = c + 1;
                v[5] = kEllipsis;
            } else {
                v[2] = n - 4;
                v[3] = n - 3;
                v[4] = n - 2;
                v[5] = n - 1;
            }
        } else {
            v[1] = 2;
            v[2] = 3;
            v[3] = 4;
            v[4] = 5;
            v[5] = kEllipsis;
        }
        used = kSlots;
    } else if (n > 0) {
        for (int i = 0; i < n; ++i)
            v[static_cast<std::size_t>(i)] = i + 1;
        used = n;
    }
    if (count)
        *count = used;
    return v;
}

void CTMultiPages::UpdateLayout() {
    m_values = ComputeSlots(m_nTotalPage, m_nCurPage, &m_nSlotCount);
    m_rects.fill(QRect());
    const QFontMetrics fm(font());
    int widths[kSlots] = {};
    int total = 0;
    for (int i = 0; i < m_nSlotCount; ++i) {
        const int v = m_values[static_cast<std::size_t>(i)];
        const QString label = v == kEllipsis ? QStringLiteral("...") : QString::number(v);
        const int tw = fm.horizontalAdvance(label);
        widths[i] = tw < 24 ? 32 : tw + 8;
        total += widths[i] + (i > 0 ? 3 : 0);
    }
    int x = 2;
    if (m_nAlign == 1)
        x = (width() - total) / 2;
    else if (m_nAlign == 2)
        x = width() - total;
    const int y = height() > 24 ? (height() - 24) / 2 : 0;
    for (int i = 0; i < m_nSlotCount; ++i) {
        m_rects[static_cast<std::size_t>(i)] = QRect(x, y, widths[i], 24);
        x += widths[i] + 3;
    }
}

int CTMultiPages::SlotAt(QPoint pos) const {
    for (int i = 0; i < m_nSlotCount; ++i)
        if (m_rects[static_cast<std::size_t>(i)].contains(pos))
            return i;
    return -1;
}

bool CTMultiPages::IsClickable(int slot) const {
    if (slot < 0 || slot >= m_nSlotCount)
        return false;
    const int v = m_values[static_cast<std::size_t>(slot)];
    return v != kEllipsis && v != m_nCurPage;
}

void CTMultiPages::paintEvent(QPaintEvent*) {
    UpdateLayout();
    QPainter p(this);
    if (m_bFrame) {
        p.fillRect(rect(), QColor(136, 136, 136));
        p.fillRect(rect().adjusted(1, 1, -1, -1), QColor(247, 247, 247));
    } else {
        p.fillRect(rect(), m_crBk);
    }
    if (m_nTotalPage == -1)
        return;
    const QFont normal = font();
    QFont bold = normal;
    bold.setBold(true);
    for (int i = 0; i < m_nSlotCount; ++i) {
        const QRect r = m_rects[static_cast<std::size_t>(i)];
        const int v = m_values[static_cast<std::size_t>(i)];
        p.setFont(normal);
        if (v == kEllipsis) {
            p.fillRect(r, Qt::white);
        } else if (v == m_nCurPage) {
            p.fillRect(r, Qt::white);
            p.setFont(bold);
        } else {
            p.fillRect(r, QColor(136, 136, 136));
            p.fillRect(r.adjusted(1, 1, -1, -1), i == m_nHover ? QColor(187, 187, 187) : QColor(Qt::white));
        }
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, v == kEllipsis ? QStringLiteral("...") : QString::number(v));
    }
}

void CTMultiPages::mouseMoveEvent(QMouseEvent* event) {
    UpdateLayout();
    const int slot = SlotAt(event->position().toPoint());
    if (slot != m_nHover) {
        if (m_nHover >= 0)
            update(m_rects[static_cast<std::size_t>(m_nHover)]);
        if (slot >= 0)
            update(m_rects[static_cast<std::size_t>(slot)]);
        m_nHover = slot;
    }
    setCursor(IsClickable(slot) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CTMultiPages::mousePressEvent(QMouseEvent* event) {
    UpdateLayout();
    const int slot = SlotAt(event->position().toPoint());
    m_nPressed = event->button() == Qt::LeftButton && IsClickable(slot) ? slot : -1;
}

void CTMultiPages::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = m_nPressed;
    m_nPressed = -1;
    if (event->button() != Qt::LeftButton || pressed < 0)
        return;
    if (SlotAt(event->position().toPoint()) != pressed || !IsClickable(pressed))
        return;
    m_nCurPage = m_values[static_cast<std::size_t>(pressed)];
    update();
    const int owner = m_nOwnerId;
    const int page = m_nCurPage;
    if (m_notify) {
        PagerSelectEvent e(owner, page);
        QCoreApplication::sendEvent(m_notify, &e);
    }
    emit PagerSelect(owner, page);
}

void CTMultiPages::leaveEvent(QEvent* event) {
    if (m_nHover >= 0) {
        update(m_rects[static_cast<std::size_t>(m_nHover)]);
        m_nHover = -1;
    }
    QWidget::leaveEvent(event);
}

}  // namespace cpe
