#include "ui/scroll_bitmap_wnd.h"

#include "ui/skin_qt.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace cpe {

CScrollBitmapWnd::CScrollBitmapWnd(QWidget* parent)
    : QWidget(parent), m_hBar(new QScrollBar(Qt::Horizontal, this)), m_vBar(new QScrollBar(Qt::Vertical, this)) {
    m_hBar->setObjectName(QString::number(kHorzBarId));
    m_vBar->setObjectName(QString::number(kVertBarId));
    for (QScrollBar* bar : {m_hBar, m_vBar}) {
        bar->setSingleStep(kLineStep);
        ApplyScrollBarStyle(*bar);
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    }
}

bool CScrollBitmapWnd::LoadPicture(const QString& path) {
    QPixmap pic;
    const bool ok = pic.load(path);
    SetPicture(pic);
    return ok;
}

void CScrollBitmapWnd::SetPicture(const QPixmap& picture) {
    m_picture = picture;
    m_hBar->setValue(0);
    m_vBar->setValue(0);
    Layout();
    update();
}

QPoint CScrollBitmapWnd::ScrollOffset() const {
    return {m_hBar->isHidden() ? 0 : m_hBar->value(), m_vBar->isHidden() ? 0 : m_vBar->value()};
}

void CScrollBitmapWnd::Layout() {
    const QSize pic = m_picture.size();
    const int barW = m_vBar->sizeHint().width();
    const int barH = m_hBar->sizeHint().height();
    bool needH = pic.width() > width();
    bool needV = pic.height() > height();
    // A bar takes room from the other direction, which may then need its own bar as well.
    needH = needH || (needV && pic.width() > width() - barW);
    needV = needV || (needH && pic.height() > height() - barH);
    m_view = QRect(0, 0, width() - (needV ? barW : 0), height() - (needH ? barH : 0));
    m_hBar->setVisible(needH);
    m_vBar->setVisible(needV);
    m_hBar->setGeometry(0, m_view.height(), m_view.width(), barH);
    m_vBar->setGeometry(m_view.width(), 0, barW, m_view.height());
    m_hBar->setRange(0, std::max(0, pic.width() - m_view.width()));
    m_vBar->setRange(0, std::max(0, pic.height() - m_view.height()));
    m_hBar->setPageStep(std::max(1, m_view.width()));
    m_vBar->setPageStep(std::max(1, m_view.height()));
}

void CScrollBitmapWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(m_view, palette().color(QPalette::Window));
    if (m_picture.isNull())
        return;
    p.setClipRect(m_view);
    p.drawPixmap(-ScrollOffset(), m_picture);
}

void CScrollBitmapWnd::resizeEvent(QResizeEvent*) { Layout(); }

void CScrollBitmapWnd::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint() + ScrollOffset();
    m_lastClick = QPoint(std::clamp(p.x(), 0, std::max(0, m_picture.width())),
                         std::clamp(p.y(), 0, std::max(0, m_picture.height())));
}

void CScrollBitmapWnd::wheelEvent(QWheelEvent* event) {
    QScrollBar* bar = (event->modifiers() & Qt::ShiftModifier) || m_vBar->isHidden() ? m_hBar : m_vBar;
    if (bar->isHidden())
        return;
    bar->setValue(bar->value() - event->angleDelta().y() / 120 * 3 * kLineStep);
}

}  // namespace cpe
