#include "ui/grid/in_place_edit.h"

#include "ui/grid/grid_ctrl.h"

#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

namespace cpe {

CInPlaceEdit::CInPlaceEdit(CGridCtrl* grid, const QRect& rect, int row, int col, const QString& text, QChar startChar)
    : QLineEdit(grid->viewport()),
      m_pGrid(grid),
      m_nRow(row),
      m_nCol(col),
      m_strInitial(text),
      m_bExitOnArrows(!startChar.isNull()),
      m_rect(rect) {
    setObjectName(QString::number(CGridCtrl::kEditorId));
    setProperty("ctrlId", CGridCtrl::kEditorId);
    setFrame(false);
    setGeometry(rect);
    if (startChar.isNull()) {
        setText(text);
        selectAll();
    } else {
        setText(QString(startChar));
    }
    connect(this, &QLineEdit::textChanged, this, &CInPlaceEdit::Widen);
    Widen();
    show();
    setFocus(Qt::OtherFocusReason);
}

void CInPlaceEdit::Widen() {
    const QFontMetrics fm(font());
    const int wanted = fm.horizontalAdvance(text() + QStringLiteral("  "));
    const int maxWidth = m_pGrid->viewport()->width() - m_rect.left();
    const int w = std::max(m_rect.width(), std::min(wanted, maxWidth));
    resize(w, m_rect.height());
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_nLastKey = key;
        EndEdit();
        return;
    case Qt::Key_Escape:
        setText(m_strInitial);
        m_nLastKey = key;
        EndEdit();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (m_bExitOnArrows || (e->modifiers() & Qt::ControlModifier)) {
            m_nLastKey = key;
            EndEdit();
            return;
        }
        break;
    default: break;
    }
    QLineEdit::keyPressEvent(e);
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    EndEdit();
}

void CInPlaceEdit::EndEdit() {
    if (m_bEnded)
        return;
    m_bEnded = true;
    hide();
    m_pGrid->OnEndInPlaceEdit(m_nRow, m_nCol, text(), m_nLastKey);
    deleteLater();
}

}  // namespace cpe
