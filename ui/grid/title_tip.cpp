#include "ui/grid/title_tip.h"

#include "ui/grid/grid_ctrl.h"

#include <QPainter>

namespace cpe {

CTitleTip::CTitleTip(QWidget* grid)
    : QWidget(grid,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
      m_pGrid(grid) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

bool CTitleTip::Show(const QRect& textRect, const QString& text, const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(text);
    if (text.isEmpty() || width <= textRect.width()) {
        hide();
        return false;
    }
    m_text = text;
    m_covered = textRect;
    setFont(font);
    auto* grid = static_cast<CGridCtrl*>(m_pGrid);
    const QPoint global = grid->viewport()->mapToGlobal(textRect.topLeft());
    setGeometry(global.x() - 2, global.y(), width + 6, std::max(textRect.height(), fm.height() + 2));
    show();
    update();
    return true;
}

void CTitleTip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 255, 225));
    p.setPen(QColor(118, 118, 118));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.setFont(font());
    p.drawText(rect().adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}

}  // namespace cpe
