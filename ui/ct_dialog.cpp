#include "ui/ct_dialog.h"

#include "ui/skin_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTimer>
#include <QWindow>

namespace cpe {

CTDialog::CTDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

void CTDialog::SetBkImage(const QString& path) {
    if (path.isEmpty())
        return;
    m_bkImage = QPixmap();
    m_bkImage.load(path);
    update();
}

void CTDialog::PaintBackground(QPainter& p) {
    if (!m_bkImage.isNull())
        p.drawPixmap(rect(), m_bkImage);
    else if (m_bFill)
        p.fillRect(rect(), ToQColor(m_crFill));
}

void CTDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintBackground(p);
    if (!m_lines.empty()) {
        p.setPen(QPen(ToQColor(m_crLine), m_nLineWidth));
        for (const line_point& l : m_lines)
            p.drawLine(l.startX, l.startY, l.endX, l.endY);
    }
    if (m_nRadius > 0 && !m_bRegionApplied) {
        // A window that fills the screen has square corners.
        if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            clearMask();
        } else {
            QPainterPath path;
            path.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), m_nRadius / 2.0, m_nRadius / 2.0);
            setMask(QRegion(path.toFillPolygon().toPolygon()));
        }
        m_bRegionApplied = true;
        QTimer::singleShot(0, this, qOverload<>(&QWidget::update));
    }
}

void CTDialog::resizeEvent(QResizeEvent* event) {
    m_bRegionApplied = false;  // the rounded region follows the new size at the next paint
    QDialog::resizeEvent(event);
}

void CTDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        m_bRegionApplied = false;
        update();
    }
    QDialog::changeEvent(event);
}

void CTDialog::SetKeyButtons(QAbstractButton* enter, QAbstractButton* escape) {
    m_pEnterButton = enter;
    m_pEscapeButton = escape;
}

void CTDialog::keyPressEvent(QKeyEvent* event) {
    QAbstractButton* button = nullptr;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: button = m_pEnterButton; break;
    case Qt::Key_Escape: button = m_pEscapeButton; break;
    default: QDialog::keyPressEvent(event); return;
    }
    if (!m_pEnterButton && !m_pEscapeButton && !isWindow()) {
        event->ignore();  // a form: its dialog decides
        return;
    }
    // A skinned dialog closes only through its own buttons.
    event->accept();
    if (button && button->isVisible() && button->isEnabled() && !(event->modifiers() & Qt::AltModifier))
        button->click();
}

void CTDialog::mousePressEvent(QMouseEvent* event) {
    if (m_bDrag && event->button() == Qt::LeftButton) {
        // The move starts once the pointer travels, so a double click still reaches the window.
        m_bPressed = true;
        m_pressGlobal = event->globalPosition().toPoint();
        m_dragOffset = m_pressGlobal - window()->frameGeometry().topLeft();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CTDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (m_bPressed && !m_bDragging && (event->buttons() & Qt::LeftButton) &&
        (global - m_pressGlobal).manhattanLength() >= QApplication::startDragDistance()) {
        QWidget* top = window();
        if (top->windowHandle() && top->windowHandle()->startSystemMove()) {
            m_bPressed = false;
            event->accept();
            return;
        }
        m_bDragging = true;
    }
    if (m_bDragging && (event->buttons() & Qt::LeftButton)) {
        window()->move(global - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CTDialog::mouseReleaseEvent(QMouseEvent* event) {
    if ((m_bPressed || m_bDragging) && event->button() == Qt::LeftButton) {
        m_bPressed = false;
        m_bDragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace cpe
