#include "ui/window_edges.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>

namespace cpe {
namespace {

Qt::CursorShape CursorFor(Qt::Edges edges) {
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical)
        return edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge) ? Qt::SizeFDiagCursor
                                                                                                  : Qt::SizeBDiagCursor;
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

}  // namespace

EdgeGrip::EdgeGrip(QWidget* window, Qt::Edges edges) : QWidget(window), m_edges(edges) {
    setCursor(CursorFor(edges));
    setAttribute(Qt::WA_NoSystemBackground);
}

void EdgeGrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    QWidget* top = window();
    if (top->windowHandle() && top->windowHandle()->startSystemResize(m_edges))
        return;
    m_bDragging = true;
    m_pressGlobal = event->globalPosition().toPoint();
    m_startGeometry = top->geometry();
}

void EdgeGrip::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bDragging)
        return;
    QWidget* top = window();
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    const QSize minimum = top->minimumSize();
    QRect r = m_startGeometry;
    if (m_edges & Qt::LeftEdge)
        r.setLeft(std::min(r.left() + delta.x(), r.right() + 1 - minimum.width()));
    if (m_edges & Qt::RightEdge)
        r.setRight(std::max(r.right() + delta.x(), r.left() + minimum.width() - 1));
    if (m_edges & Qt::TopEdge)
        r.setTop(std::min(r.top() + delta.y(), r.bottom() + 1 - minimum.height()));
    if (m_edges & Qt::BottomEdge)
        r.setBottom(std::max(r.bottom() + delta.y(), r.top() + minimum.height() - 1));
    top->setGeometry(r);
}

void EdgeGrip::mouseReleaseEvent(QMouseEvent*) { m_bDragging = false; }

WindowEdges::WindowEdges(QWidget* window) : QObject(window), m_pWindow(window) {
    const Qt::Edges edges[] = {Qt::LeftEdge,
                               Qt::RightEdge,
                               Qt::TopEdge,
                               Qt::BottomEdge,
                               Qt::TopEdge | Qt::LeftEdge,
                               Qt::TopEdge | Qt::RightEdge,
                               Qt::BottomEdge | Qt::LeftEdge,
                               Qt::BottomEdge | Qt::RightEdge};
    for (std::size_t i = 0; i < m_grips.size(); ++i)
        m_grips[i] = new EdgeGrip(window, edges[i]);
    window->installEventFilter(this);
    Place();
}

void WindowEdges::Place() {
    const QRect r = m_pWindow->rect();
    const bool shown = !(m_pWindow->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    const int t = kThickness;
    const int c = kCorner;
    for (EdgeGrip* grip : m_grips) {
        const Qt::Edges e = grip->Edges();
        const int x = e & Qt::LeftEdge ? 0 : e & Qt::RightEdge ? r.width() - t : c;
        const int y = e & Qt::TopEdge ? 0 : e & Qt::BottomEdge ? r.height() - t : c;
        const bool corner = (e & (Qt::LeftEdge | Qt::RightEdge)) && (e & (Qt::TopEdge | Qt::BottomEdge));
        QRect place;
        if (corner)
            place = QRect(e & Qt::LeftEdge ? 0 : r.width() - c, e & Qt::TopEdge ? 0 : r.height() - c, c, c);
        else if (e & (Qt::LeftEdge | Qt::RightEdge))
            place = QRect(x, c, t, r.height() - 2 * c);
        else
            place = QRect(c, y, r.width() - 2 * c, t);
        grip->setGeometry(place);
        grip->setVisible(shown);
        grip->raise();
    }
}

bool WindowEdges::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pWindow && (event->type() == QEvent::Resize || event->type() == QEvent::WindowStateChange))
        Place();
    return QObject::eventFilter(watched, event);
}

}  // namespace cpe
